// `design show|check FILE`: an offline design file listed or checked, without any network.
#include "CtlCommandTable.h"
#include "CtlDesign.h"

namespace {

[[maybe_unused]] const bool registered = [] {
    CtlCommand show;
    show.name = QStringLiteral("design show");
    show.id = CtlOptions::DesignShow;
    show.summary = QStringLiteral("list an offline design file: devices, routes (channels from 1) and streams");
    show.arguments = QStringLiteral("FILE");
    show.minArgs = show.maxArgs = 1;
    show.readsDevices = false;
    show.runLocal = CtlDesign::runShow;
    // Never reached (runLocal always answers); it makes the command a control command, with their exit codes.
    show.run = [](CtlNetwork&, const CtlOptions& o) { return CtlDesign::runShow(o); };

    CtlCommand check;
    check.name = QStringLiteral("design check");
    check.id = CtlOptions::DesignCheckFile;
    check.summary = QStringLiteral("check an offline design file: one line per fault, exit status 1 when there is "
                                   "any (routes to missing devices or channels, streams sharing an address and "
                                   "port, too many streams on a device, sample rates its type does not offer)");
    check.arguments = QStringLiteral("FILE");
    check.minArgs = check.maxArgs = 1;
    check.readsDevices = false;
    check.runLocal = CtlDesign::runCheck;
    check.run = [](CtlNetwork&, const CtlOptions& o) { return CtlDesign::runCheck(o); };
    return CtlCommandTable::add(show) && CtlCommandTable::add(check);
}();

} // namespace

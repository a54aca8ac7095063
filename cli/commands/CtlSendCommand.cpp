// `send`: command messages through the command layer, answered with the dispatched replies.
#include "CtlCommandTable.h"
#include "CtlSend.h"

namespace {

[[maybe_unused]] const bool registered = CtlCommandTable::add([] {
    CtlCommand c;
    c.name = QStringLiteral("send");
    c.id = CtlOptions::Send;
    c.summary = QStringLiteral("send command messages and print the replies; `send -` reads one per line from "
                               "standard input. A \"setLock\" without \"password\" or a \"setPassword\" without "
                               "\"old\"/\"new\" takes them from MERIDANE_PASSWORD, MERIDANE_OLD_PASSWORD, "
                               "MERIDANE_NEW_PASSWORD, else from standard input; passwords are never printed");
    c.arguments = QStringLiteral("'COMMAND-MESSAGE'... | -");
    c.minArgs = 1;
    c.maxArgs = -1;
    c.readsDevices = false; // a device hears only the messages it is sent
    c.check = [](const CtlOptions& o) {
        return o.args.contains(QStringLiteral("-")) && o.args.size() != 1
                   ? QStringLiteral("send - reads every message from standard input; give no other")
                   : QString();
    };
    c.run = [](CtlNetwork& net, const CtlOptions& o) { return CtlSend(net, o).run(); };
    return c;
}());

} // namespace

// `export` and `load`: archives of online devices, written and loaded back.
#include "CtlArchiveExport.h"
#include "CtlArchiveLoad.h"
#include "CtlArchiveOptions.h"
#include "CtlCommandTable.h"

#include <QCommandLineParser>

namespace {

QCommandLineOption categoriesOption()
{
    return {QStringLiteral("categories"),
            QStringLiteral("the parameter categories, comma-separated (default all): info, name, channel-names, "
                           "gains, params, depth, delay, ptp-priority, ptp-dscp, dscp, network, ip, routes, "
                           "mcast-routes"),
            QStringLiteral("LIST")};
}

/// Options left out stay null, so "--categories ''" is told apart from no --categories.
QString valueIfSet(const QCommandLineParser& p, const QString& name)
{
    return p.isSet(name) ? p.value(name) : QString();
}

[[maybe_unused]] const bool registered = [] {
    CtlCommand exportCommand;
    exportCommand.name = QStringLiteral("export");
    exportCommand.id = CtlOptions::ArchiveExport;
    exportCommand.summary = QStringLiteral("read online devices (all, or --devices) into an archive FILE; progress on "
                                           "standard error, one summary line on standard output");
    exportCommand.arguments = QStringLiteral("FILE");
    exportCommand.minArgs = exportCommand.maxArgs = 1;
    exportCommand.own = {
        {QStringLiteral("devices"), QStringLiteral("the devices to export (devId, name or address), comma-separated"),
         QStringLiteral("NAME,...")},
        categoriesOption(),
    };
    exportCommand.apply = [](const QCommandLineParser& p, CtlOptions* o) {
        o->devices = valueIfSet(p, QStringLiteral("devices"));
        o->categories = valueIfSet(p, QStringLiteral("categories"));
    };
    exportCommand.check = CtlArchiveOptions::check;
    exportCommand.run = CtlArchiveExport::run;

    CtlCommand load;
    load.name = QStringLiteral("load");
    load.id = CtlOptions::ArchiveLoad;
    load.summary = QStringLiteral("load an archive FILE onto online devices: the assignment, a preview of what "
                                  "changes, then each step with its result (--dry-run: the preview only)");
    load.arguments = QStringLiteral("FILE");
    load.minArgs = load.maxArgs = 1;
    load.own = {
        {QStringLiteral("assign"),
         QStringLiteral("archive devices onto chosen online devices, over the automatic assignment (each side a "
                        "devId or name; the online side also an address)"),
         QStringLiteral("OFFLINE=ONLINE,...")},
        categoriesOption(),
    };
    load.apply = [](const QCommandLineParser& p, CtlOptions* o) {
        o->assign = valueIfSet(p, QStringLiteral("assign"));
        o->categories = valueIfSet(p, QStringLiteral("categories"));
    };
    load.check = CtlArchiveOptions::check;
    load.run = CtlArchiveLoad::run;
    return CtlCommandTable::add(exportCommand) && CtlCommandTable::add(load);
}();

} // namespace

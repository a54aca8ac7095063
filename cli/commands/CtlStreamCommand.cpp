// `stream create|delete`: a device's multicast transmit streams with the stream view's checks.
#include "CtlCommandTable.h"
#include "CtlStreams.h"

#include <QCommandLineParser>

namespace {

[[maybe_unused]] const bool registered = [] {
    CtlCommand create;
    create.name = QStringLiteral("stream create");
    create.id = CtlOptions::StreamCreate;
    create.summary = QStringLiteral("create a multicast stream on a device");
    create.arguments = QStringLiteral("DEVICE --name N --channels 1,2");
    create.minArgs = create.maxArgs = 1;
    create.own = {
        {QStringLiteral("name"), QStringLiteral("the stream's name"), QStringLiteral("N")},
        {QStringLiteral("channels"), QStringLiteral("transmit channels, 1-based numbers or names, comma-separated"),
         QStringLiteral("LIST")},
        {QStringLiteral("address"), QStringLiteral("destination address (default: an automatic one)"),
         QStringLiteral("A")},
        {QStringLiteral("port"), QStringLiteral("destination port (default: the view's)"), QStringLiteral("P")},
        {QStringLiteral("rtp-offset"), QStringLiteral("RTP timestamp offset in milliseconds"), QStringLiteral("MS")},
    };
    create.required = QStringList{QStringLiteral("name"), QStringLiteral("channels")};
    create.apply = [](const QCommandLineParser& p, CtlOptions* o) {
        o->streamName = p.value(QStringLiteral("name"));
        o->channels = p.value(QStringLiteral("channels"));
        o->address = p.value(QStringLiteral("address"));
        o->port = p.value(QStringLiteral("port"));
        o->rtpOffsetMs = p.value(QStringLiteral("rtp-offset"));
    };
    create.run = [](CtlNetwork& net, const CtlOptions& o) { return CtlStreams(net, o).create(o.args.at(0)); };

    CtlCommand remove;
    remove.name = QStringLiteral("stream delete");
    remove.id = CtlOptions::StreamDelete;
    remove.summary = QStringLiteral("delete a device's multicast stream by name");
    remove.arguments = QStringLiteral("DEVICE NAME");
    remove.minArgs = remove.maxArgs = 2;
    remove.run = [](CtlNetwork& net, const CtlOptions& o) {
        return CtlStreams(net, o).remove(o.args.at(0), o.args.at(1));
    };
    return CtlCommandTable::add(create) && CtlCommandTable::add(remove);
}();

} // namespace

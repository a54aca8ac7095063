// `dsp get|response`: a processor's configuration over its TCP link, and a channel's equaliser curve.
#include "CtlCommandTable.h"
#include "CtlDspFetch.h"
#include "CtlDspResponse.h"
#include "CtlExit.h"
#include "CtlOutput.h"

#include <QCommandLineParser>
#include <QJsonDocument>

namespace {

int runGet(CtlNetwork& net, const CtlOptions& o)
{
    QByteArray config;
    CtlDspFetch::Target target;
    const int code = CtlDspFetch(net, o).fetch(o.args.at(0), &config, &target);
    if (code != CtlExit::kOk || o.dryRun)
        return code;
    CtlOutput::write(QJsonDocument::fromJson(config).toJson(QJsonDocument::Indented));
    return CtlExit::kOk;
}

int runResponse(CtlNetwork& net, const CtlOptions& o)
{
    CtlDspResponse::Request request;
    QByteArray config;
    CtlDspFetch::Target target;
    const int code = CtlDspFetch(net, o).fetch(o.args.at(0), &config, &target);
    if (code != CtlExit::kOk || o.dryRun)
        return code;
    CtlDspResponse::requestOf(o, &request); // checked when the command line was read
    request.firmware = target.detail.firmwareVersion;
    return CtlDspResponse::print(config, request, o.json);
}

[[maybe_unused]] const bool registered = [] {
    CtlCommand get;
    get.name = QStringLiteral("dsp get");
    get.id = CtlOptions::DspGet;
    get.summary = QStringLiteral("print a processor's configuration (the \"config\" of getConfig) as JSON");
    get.arguments = QStringLiteral("DEVICE");
    get.minArgs = get.maxArgs = 1;
    get.readsDevices = false; // only the processor is asked
    get.run = runGet;

    CtlCommand response;
    response.name = QStringLiteral("dsp response");
    response.id = CtlOptions::DspResponse;
    response.summary = QStringLiteral("print a channel's equaliser and filter curve as the editor draws it, one "
                                      "\"Hz<TAB>dB\" line per point; CH counts from 1");
    response.arguments = QStringLiteral("(DEVICE | --config FILE) in|out CH");
    response.minArgs = 2;
    response.maxArgs = 3;
    response.readsDevices = false;
    response.own = {
        {QStringLiteral("config"),
         QStringLiteral("read the configuration from FILE (a \"config\" object or a whole getConfig reply) "
                        "instead of a device"),
         QStringLiteral("FILE")},
        {QStringLiteral("phase"), QStringLiteral("the phase in degrees instead of the magnitude")},
        {QStringLiteral("eq"),
         QStringLiteral("chain index (from 0) of the EQ block to draw (default: the channel's first)"),
         QStringLiteral("N")},
    };
    response.apply = [](const QCommandLineParser& p, CtlOptions* o) {
        o->configFile = p.value(QStringLiteral("config"));
        o->phase = p.isSet(QStringLiteral("phase"));
        if (p.isSet(QStringLiteral("eq"))) {
            bool ok = false;
            const int n = p.value(QStringLiteral("eq")).toInt(&ok);
            o->eqIndex = ok && n >= 0 ? n : -2; // -2: refused by the check
        }
    };
    response.check = [](const CtlOptions& o) {
        CtlDspResponse::Request request;
        return CtlDspResponse::requestOf(o, &request);
    };
    response.run = runResponse;
    response.runLocal = CtlDspResponse::runOnFile;
    return CtlCommandTable::add(get) && CtlCommandTable::add(response);
}();

} // namespace

#include "CtlOptions.h"

#include "DevManager.h"

#include <QHostAddress>

namespace {

bool parseInt(const QString& text, int min, int* out)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min)
        return false;
    *out = value;
    return true;
}

} // namespace

QString CtlOptions::usage()
{
    return QStringLiteral("usage: meridane-ctl [--ip ADDR] [--seconds S] [--device-life-ms MS] devices|streams|watch\n"
                          "  --ip ADDR            local IPv4 address to work on (default: the host's only one)\n"
                          "  --seconds S          listen this long before printing (devices, streams: 3;\n"
                          "                       watch: until interrupted)\n"
                          "  --device-life-ms MS  life an announcement gives (testing; default 120000)\n");
}

bool CtlOptions::parse(const QStringList& args, CtlOptions* out, QString* error)
{
    CtlOptions o;
    bool haveCommand = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--ip")) {
            QHostAddress addr;
            if (!hasValue || !addr.setAddress(args.at(++i)) || addr.protocol() != QAbstractSocket::IPv4Protocol) {
                *error = QStringLiteral("--ip needs an IPv4 address");
                return false;
            }
            o.ip = addr.toIPv4Address();
        } else if (a == QLatin1String("--seconds")) {
            if (!hasValue || !parseInt(args.at(++i), 0, &o.seconds)) {
                *error = QStringLiteral("--seconds needs a number of seconds");
                return false;
            }
        } else if (a == QLatin1String("--device-life-ms")) {
            if (!hasValue || !parseInt(args.at(++i), 1, &o.deviceLifeMs)) {
                *error = QStringLiteral("--device-life-ms needs a positive number");
                return false;
            }
        } else if (!haveCommand && (a == QLatin1String("devices") || a == QLatin1String("streams") ||
                                    a == QLatin1String("watch"))) {
            o.command = a == QLatin1String("devices") ? Devices : a == QLatin1String("streams") ? Streams : Watch;
            haveCommand = true;
        } else {
            *error = QStringLiteral("unknown argument: %1").arg(a);
            return false;
        }
    }
    if (!haveCommand) {
        *error = QStringLiteral("no command given");
        return false;
    }
    *out = o;
    return true;
}

#include "CtlOptions.h"

#include "CtlExit.h"

#include <QHostAddress>

namespace {

const int kListingSeconds = 3;
const int kControlSeconds = 3;

bool parseInt(const QString& text, int min, int* out)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min)
        return false;
    *out = value;
    return true;
}

bool isOption(const QString& a)
{
    return a.startsWith(QLatin1String("--"));
}

/// The command a first word (and its sub-command) names; false when they name none.
bool commandOf(const QString& word, const QString& sub, CtlOptions::Command* out, bool* usesSub)
{
    *usesSub = false;
    if (word == QLatin1String("devices"))
        *out = CtlOptions::Devices;
    else if (word == QLatin1String("streams"))
        *out = CtlOptions::Streams;
    else if (word == QLatin1String("watch"))
        *out = CtlOptions::Watch;
    else if (word == QLatin1String("send"))
        *out = CtlOptions::Send;
    else if (word == QLatin1String("route") || word == QLatin1String("stream")) {
        *usesSub = true;
        const bool route = word == QLatin1String("route");
        if (route && sub == QLatin1String("list"))
            *out = CtlOptions::RouteList;
        else if (route && sub == QLatin1String("add"))
            *out = CtlOptions::RouteAdd;
        else if (route && sub == QLatin1String("remove"))
            *out = CtlOptions::RouteRemove;
        else if (!route && sub == QLatin1String("create"))
            *out = CtlOptions::StreamCreate;
        else if (!route && sub == QLatin1String("delete"))
            *out = CtlOptions::StreamDelete;
        else
            return false;
    } else {
        return false;
    }
    return true;
}

/// The numbers of arguments a command takes (max -1: any number from min).
void argCounts(CtlOptions::Command c, int* min, int* max)
{
    switch (c) {
    case CtlOptions::Send:
        *min = 1;
        *max = -1;
        return;
    case CtlOptions::RouteAdd:
    case CtlOptions::StreamDelete:
        *min = *max = 2;
        return;
    case CtlOptions::RouteRemove:
    case CtlOptions::StreamCreate:
        *min = *max = 1;
        return;
    default:
        *min = *max = 0;
        return;
    }
}

} // namespace

int CtlOptions::discoveryMs() const
{
    if (seconds >= 0)
        return seconds * 1000;
    return (isControl() ? kControlSeconds : kListingSeconds) * 1000;
}

QString CtlOptions::usage()
{
    return QStringLiteral(
        "usage: meridane-ctl [--ip ADDR] [--seconds S] [--device-life-ms MS] devices|streams|watch\n"
        "       meridane-ctl [--ip ADDR] [options] send 'COMMAND-MESSAGE'... | send -\n"
        "       meridane-ctl [--ip ADDR] [options] route list | route add SENDER:CH RECEIVER:CH | route remove "
        "RECEIVER:CH\n"
        "       meridane-ctl [--ip ADDR] [options] stream create DEVICE --name N --channels 1,2 [--address A] "
        "[--port P] [--rtp-offset MS]\n"
        "       meridane-ctl [--ip ADDR] [options] stream delete DEVICE NAME\n"
        "  --ip ADDR            local IPv4 address to work on (default: the host's only one)\n"
        "  --seconds S          devices, streams, route list: listen this long (3); watch: until interrupted;\n"
        "                       other commands: wait at most this long for the devices they name (3)\n"
        "  --device-life-ms MS  life an announcement gives (testing; default 120000)\n"
        "  --timeout S          wait this long for each reply, and again for the tables to show it (2)\n"
        "  --dry-run            print the requests with their address and port; send nothing\n"
        "  --json               print JSON instead of text: one line per message or change (route list: one array)\n"
        "  --lang cn|en         language of refusals and questions (en)\n"
        "  --yes                accept the questions the window would ask\n"
        "Devices are named by name or devId, channels by 1-based number or name, multicast streams by name or\n"
        "destination address. `send -` reads one command message per line from standard input.\n"
        "Exit codes of send, route and stream: 0 done, 1 refused, 2 no reply in time, 3 unknown device, channel\n"
        "or stream, 4 bad arguments. devices, streams and watch exit with 2 on any error.\n");
}

int CtlOptions::usageExitCode(const QStringList& args)
{
    static const QStringList kWithValue = {"--ip",   "--seconds",  "--device-life-ms", "--timeout", "--lang",
                                           "--name", "--channels", "--address",        "--port",    "--rtp-offset"};
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (isOption(a)) {
            if (kWithValue.contains(a))
                ++i;
            continue;
        }
        const bool control = a == QLatin1String("send") || a == QLatin1String("route") || a == QLatin1String("stream");
        return control ? CtlExit::kUsage : CtlExit::kListError;
    }
    return CtlExit::kListError;
}

bool CtlOptions::parse(const QStringList& args, CtlOptions* out, QString* error)
{
    CtlOptions o;
    QStringList positional;
    QStringList controlOptions; // given, to refuse them for the listings
    QStringList createOptions;  // given, to refuse them for anything but stream create
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (!isOption(a)) {
            positional << a;
            continue;
        }
        const bool hasValue = i + 1 < args.size();
        const auto value = [&](QString* to, const char* what) {
            if (!hasValue) {
                *error = QStringLiteral("%1 needs %2").arg(a, QLatin1String(what));
                return false;
            }
            *to = args.at(++i);
            return true;
        };
        QString v;
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
        } else if (a == QLatin1String("--timeout")) {
            bool ok = false;
            const double s = hasValue ? args.at(++i).toDouble(&ok) : 0.0;
            if (!ok || !(s > 0.0) || s > 3600.0) {
                *error = QStringLiteral("--timeout needs a number of seconds above 0");
                return false;
            }
            o.timeoutMs = qMax(1, static_cast<int>(s * 1000.0 + 0.5));
            controlOptions << a;
        } else if (a == QLatin1String("--dry-run") || a == QLatin1String("--json") || a == QLatin1String("--yes")) {
            (a == QLatin1String("--dry-run") ? o.dryRun : a == QLatin1String("--json") ? o.json : o.yes) = true;
            controlOptions << a;
        } else if (a == QLatin1String("--lang")) {
            if (!value(&v, "cn or en"))
                return false;
            if (v != QLatin1String("cn") && v != QLatin1String("en")) {
                *error = QStringLiteral("--lang needs cn or en");
                return false;
            }
            o.chinese = v == QLatin1String("cn");
            controlOptions << a;
        } else if (a == QLatin1String("--name") || a == QLatin1String("--channels") ||
                   a == QLatin1String("--address") || a == QLatin1String("--port") ||
                   a == QLatin1String("--rtp-offset")) {
            if (!value(&v, "a value"))
                return false;
            (a == QLatin1String("--name")       ? o.streamName
             : a == QLatin1String("--channels") ? o.channels
             : a == QLatin1String("--address")  ? o.address
             : a == QLatin1String("--port")     ? o.port
                                                : o.rtpOffsetMs) = v;
            createOptions << a;
        } else {
            *error = QStringLiteral("unknown argument: %1").arg(a);
            return false;
        }
    }
    if (positional.isEmpty()) {
        *error = QStringLiteral("no command given");
        return false;
    }
    bool usesSub = false;
    if (!commandOf(positional.first(), positional.value(1), &o.command, &usesSub)) {
        const QString& word = positional.first();
        if (usesSub)
            *error = QStringLiteral("%1 needs one of %2")
                         .arg(word, word == QLatin1String("route") ? QStringLiteral("list, add, remove")
                                                                   : QStringLiteral("create, delete"));
        else
            *error = QStringLiteral("unknown argument: %1").arg(word);
        return false;
    }
    o.args = positional.mid(usesSub ? 2 : 1);
    int min = 0, max = 0;
    argCounts(o.command, &min, &max);
    if (max == 0 && !o.args.isEmpty()) {
        *error = QStringLiteral("unknown argument: %1").arg(o.args.first());
        return false;
    }
    if (o.args.size() < min || (max > 0 && o.args.size() > max)) {
        *error = QStringLiteral("wrong number of arguments for %1").arg(positional.mid(0, usesSub ? 2 : 1).join(' '));
        return false;
    }
    if (o.command == Send && o.args.contains(QStringLiteral("-")) && o.args.size() != 1) {
        *error = QStringLiteral("send - reads every message from standard input; give no other");
        return false;
    }
    if (!o.isControl() && !controlOptions.isEmpty()) {
        *error = QStringLiteral("%1 is only for send, route and stream").arg(controlOptions.first());
        return false;
    }
    if (o.command != StreamCreate && !createOptions.isEmpty()) {
        *error = QStringLiteral("%1 is only for stream create").arg(createOptions.first());
        return false;
    }
    if (o.command == StreamCreate &&
        (!createOptions.contains(QStringLiteral("--name")) || !createOptions.contains(QStringLiteral("--channels")))) {
        *error = QStringLiteral("stream create needs --name and --channels");
        return false;
    }
    *out = o;
    return true;
}

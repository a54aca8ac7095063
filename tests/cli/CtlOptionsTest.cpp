#include "CtlOptions.h"
#include "CtlCommandTable.h"
#include "CtlExit.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

struct Accepted
{
    QStringList args;
    CtlOptions::Command command;
    QStringList positional;
    std::function<bool(const CtlOptions&)> holds; ///< the values the case is about
};

struct Refused
{
    QStringList args;
    const char* error; ///< a part of the message
    int exitCode;
    const char* hint = nullptr; ///< where the error line sends the reader, when the case is about it
};

struct Help
{
    QStringList args;
    QStringList shows;
    QStringList hides;
};

} // namespace

TEST(CtlOptionsTest, AcceptedCommandLines)
{
    const Accepted cases[] = {
        {{"--ip", "10.0.0.1", "--seconds", "5", "devices"},
         CtlOptions::Devices,
         {},
         [](const CtlOptions& o) { return o.ip == 0x0A000001u && o.discoveryMs() == 5000 && !o.isControl(); }},
        {{"watch", "--device-life-ms", "500"},
         CtlOptions::Watch,
         {},
         [](const CtlOptions& o) { return o.deviceLifeMs == 500 && o.seconds == -1; }},
        {{"streams"}, CtlOptions::Streams, {}, [](const CtlOptions& o) { return o.discoveryMs() == 3000; }},
        {{"send", "{\"ops\":\"getIp\"}", "{\"ops\":\"getInfo\"}", "--json"},
         CtlOptions::Send,
         {"{\"ops\":\"getIp\"}", "{\"ops\":\"getInfo\"}"},
         [](const CtlOptions& o) { return o.json && o.isControl() && o.timeoutMs == 2000 && !o.chinese; }},
        {{"send", "-"}, CtlOptions::Send, {"-"}, [](const CtlOptions& o) { return !o.json; }},
        // Options stand anywhere: before the command, between its words and between its arguments.
        {{"--yes", "route", "--lang", "cn", "add", "Stage box:3", "--timeout", "0.5", "Desk:Vocal"},
         CtlOptions::RouteAdd,
         {"Stage box:3", "Desk:Vocal"},
         [](const CtlOptions& o) { return o.yes && o.chinese && o.timeoutMs == 500; }},
        {{"route", "list", "--timeout=3"},
         CtlOptions::RouteList,
         {},
         [](const CtlOptions& o) { return o.timeoutMs == 3000; }},
        {{"route", "remove", "Desk:1", "--dry-run"},
         CtlOptions::RouteRemove,
         {"Desk:1"},
         [](const CtlOptions& o) { return o.dryRun; }},
        {{"stream", "create", "Desk", "--name", "Main", "--channels", "1,2", "--address", "239.1.2.3", "--port", "5006",
          "--rtp-offset", "3"},
         CtlOptions::StreamCreate,
         {"Desk"},
         [](const CtlOptions& o) {
             return o.streamName == "Main" && o.channels == "1,2" && o.address == "239.1.2.3" && o.port == "5006" &&
                    o.rtpOffsetMs == "3";
         }},
        // An empty name is the checks' business, not a usage error.
        {{"stream", "create", "Desk", "--name", "", "--channels", "1"},
         CtlOptions::StreamCreate,
         {"Desk"},
         [](const CtlOptions& o) { return o.streamName.isEmpty() && o.channels == "1"; }},
        // A value that looks like an option is still the option's value; "--" ends the options.
        {{"stream", "delete", "Desk", "--", "--odd name"},
         CtlOptions::StreamDelete,
         {"Desk", "--odd name"},
         [](const CtlOptions& o) { return o.help.isEmpty(); }},
    };
    for (const Accepted& c : cases) {
        CtlOptions o;
        QString error;
        const std::string line = c.args.join(' ').toStdString();
        ASSERT_TRUE(CtlOptions::parse(c.args, &o, &error)) << line << ": " << error.toStdString();
        EXPECT_EQ(o.command, c.command) << line;
        EXPECT_EQ(o.args, c.positional) << line;
        EXPECT_TRUE(c.holds(o)) << line;
    }
}

TEST(CtlOptionsTest, RefusedCommandLinesSayWhyAndExitByTheCommand)
{
    const int usage = CtlExit::kUsage;
    const int list = CtlExit::kListError;
    const Refused cases[] = {
        {{}, "no command", list, "meridane-ctl --help"},
        {{"frobnicate"}, "unknown argument: frobnicate", list, "meridane-ctl --help"},
        {{"devices", "extra"}, "unknown argument: extra", list, "meridane-ctl devices --help"},
        {{"devices", "--json"}, "--json is only for design, dsp, export, load, route, send and stream", list},
        {{"watch", "--timeout", "1"}, "--timeout is only for", list},
        {{"devices", "--frob"}, "unknown argument: --frob", list},
        {{"--seconds", "x", "devices"}, "--seconds", list},
        {{"--seconds", "send", "devices"}, "--seconds needs", list}, // "send" is the value, not the command
        {{"route"}, "route needs one of list, add, remove", usage, "meridane-ctl route --help"},
        {{"stream", "rename", "x"}, "stream needs one of create, delete", usage, "meridane-ctl stream --help"},
        {{"route", "add", "A:1"}, "wrong number of arguments for route add", usage, "meridane-ctl route add --help"},
        {{"route", "remove", "A:1", "B:2"}, "wrong number of arguments for route remove", usage},
        {{"route", "list", "x"}, "unknown argument: x", usage},
        {{"send"}, "wrong number of arguments for send", usage},
        {{"send", "-", "{}"}, "standard input", usage},
        {{"stream", "create", "Desk", "--name", "x"}, "needs --name and --channels", usage},
        {{"stream", "delete", "Desk", "x", "--name", "y"}, "--name is only for stream create", usage},
        {{"send", "{}", "--timeout", "0"}, "--timeout needs", usage},
        {{"send", "{}", "--timeout", "-1"}, "--timeout needs", usage},
        {{"send", "{}", "--timeout", "abc"}, "--timeout needs", usage},
        {{"send", "{}", "--timeout", "7200"}, "--timeout needs", usage},
        {{"send", "{}", "--lang", "fr"}, "cn or en", usage},
        {{"send", "{}", "--lang"}, "--lang", usage},
        {{"route", "list", "--frob"}, "unknown argument: --frob", usage},
        {{"--ip", "10.0.0.300", "route", "list"}, "--ip needs an IPv4 address", usage},
        {{"--ip", "::1", "send", "{}"}, "--ip needs an IPv4 address", usage},
        {{"--ip", "10.0.0.1", "--timeout", "x", "send"}, "--timeout", usage},
        {{"send", "{}", "--device-life-ms", "0"}, "--device-life-ms", usage},
    };
    for (const Refused& c : cases) {
        CtlOptions o;
        QString error;
        const std::string line = c.args.join(' ').toStdString();
        EXPECT_FALSE(CtlOptions::parse(c.args, &o, &error)) << line;
        EXPECT_TRUE(error.contains(c.error)) << line << ": " << error.toStdString();
        EXPECT_EQ(CtlOptions::usageExitCode(c.args), c.exitCode) << line;
        if (c.hint) {
            EXPECT_EQ(CtlOptions::helpHint(c.args), c.hint) << line;
        }
    }
    // The control commands' usage code differs from every outcome a device can cause.
    for (int code : {CtlExit::kOk, CtlExit::kRefused, CtlExit::kNoReply, CtlExit::kUnknown})
        EXPECT_NE(code, CtlExit::kUsage);
}

TEST(CtlOptionsTest, HelpPerCommandAndVersion)
{
    QStringList everyCommand;
    for (const CtlCommand& c : CtlCommandTable::all())
        everyCommand << c.name;
    const Help cases[] = {
        {{"--help"}, everyCommand + QStringList{"--ip", "--version"}, {"--rtp-offset"}},
        {{"-h", "--ip", "10.0.0.1"}, {"route add", "watch"}, {}},
        {{"devices", "--help"}, {"devices", "--seconds", "--ip"}, {"--json", "--timeout"}},
        {{"route", "add", "--help"},
         {"route add SENDER:CH RECEIVER:CH", "--yes", "--dry-run", "4 bad arguments"},
         {"--channels"}},
        {{"route", "--help"}, {"route list", "route add", "route remove"}, {"stream create"}},
        {{"stream", "create", "-h", "Desk"}, {"--rtp-offset", "--channels", "--json"}, {}},
        {{"send", "--help"}, {"send 'COMMAND-MESSAGE'... | -", "--lang cn|en"}, {"--name"}},
    };
    for (const Help& c : cases) {
        CtlOptions o;
        QString error;
        const std::string line = c.args.join(' ').toStdString();
        ASSERT_TRUE(CtlOptions::parse(c.args, &o, &error)) << line << ": " << error.toStdString();
        for (const QString& s : c.shows)
            EXPECT_TRUE(o.help.contains(s)) << line << " lacks " << s.toStdString();
        for (const QString& s : c.hides)
            EXPECT_FALSE(o.help.contains(s)) << line << " shows " << s.toStdString();
    }
    for (const QStringList& args : {QStringList{"--version"}, QStringList{"--ip", "10.0.0.1", "--version"}}) {
        CtlOptions o;
        QString error;
        ASSERT_TRUE(CtlOptions::parse(args, &o, &error)) << error.toStdString();
        EXPECT_TRUE(o.version && o.help.isEmpty());
    }
}

TEST(CtlOptionsTest, EveryRowAgreesWithItsKindAndOptions)
{
    for (const CtlCommand& c : CtlCommandTable::all()) {
        // The session and the discovery time go by the command's kind; a row that runs must be a control one.
        CtlOptions kind;
        kind.command = c.id;
        EXPECT_EQ(c.isControl(), kind.isControl()) << c.name.toStdString();
        for (const QString& r : c.required)
            EXPECT_TRUE(CtlCommandTable::commandsTaking(r).contains(c.name)) << c.name.toStdString();
    }
}

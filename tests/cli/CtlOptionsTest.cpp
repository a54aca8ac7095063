#include "CtlOptions.h"
#include "CtlExit.h"

#include <gtest/gtest.h>

namespace {

CtlOptions parsed(const QStringList& args)
{
    CtlOptions o;
    QString error;
    EXPECT_TRUE(CtlOptions::parse(args, &o, &error)) << error.toStdString();
    return o;
}

QString refused(const QStringList& args)
{
    CtlOptions o;
    QString error;
    EXPECT_FALSE(CtlOptions::parse(args, &o, &error)) << args.join(' ').toStdString();
    return error;
}

} // namespace

TEST(CtlOptionsTest, ListingsKeepTheirForm)
{
    const CtlOptions o = parsed({"--ip", "10.0.0.1", "--seconds", "5", "devices"});
    EXPECT_EQ(o.command, CtlOptions::Devices);
    EXPECT_EQ(o.ip, 0x0A000001u);
    EXPECT_EQ(o.discoveryMs(), 5000);
    EXPECT_FALSE(o.isControl());
    EXPECT_EQ(parsed({"watch"}).command, CtlOptions::Watch);
    EXPECT_EQ(parsed({"streams"}).discoveryMs(), 3000);
    EXPECT_TRUE(refused({"devices", "extra"}).contains("extra"));
    EXPECT_TRUE(refused({}).contains("no command"));
}

TEST(CtlOptionsTest, ControlCommandsAndTheirArguments)
{
    CtlOptions o = parsed({"send", R"({"ops":"getIp","devId":"A"})", R"({"ops":"getInfo","devId":"A"})", "--json"});
    EXPECT_EQ(o.command, CtlOptions::Send);
    EXPECT_EQ(o.args.size(), 2);
    EXPECT_TRUE(o.json);
    EXPECT_TRUE(o.isControl());

    // Options may stand anywhere, also between the arguments.
    o = parsed({"route", "add", "Stage box:3", "--yes", "Desk:Vocal", "--timeout", "0.5", "--lang", "cn"});
    EXPECT_EQ(o.command, CtlOptions::RouteAdd);
    EXPECT_EQ(o.args, QStringList({"Stage box:3", "Desk:Vocal"}));
    EXPECT_TRUE(o.yes);
    EXPECT_TRUE(o.chinese);
    EXPECT_EQ(o.timeoutMs, 500);

    EXPECT_EQ(parsed({"route", "list"}).command, CtlOptions::RouteList);
    EXPECT_EQ(parsed({"route", "remove", "Desk:1", "--dry-run"}).dryRun, true);
    o = parsed({"stream", "create", "Desk", "--name", "Main", "--channels", "1,2", "--address", "239.1.2.3", "--port",
                "5006", "--rtp-offset", "3"});
    EXPECT_EQ(o.command, CtlOptions::StreamCreate);
    EXPECT_EQ(o.args, QStringList({"Desk"}));
    EXPECT_EQ(o.streamName, "Main");
    EXPECT_EQ(o.channels, "1,2");
    EXPECT_EQ(o.address, "239.1.2.3");
    EXPECT_EQ(o.port, "5006");
    EXPECT_EQ(o.rtpOffsetMs, "3");
    // An empty name is the checks' business, not a usage error.
    EXPECT_TRUE(parsed({"stream", "create", "Desk", "--name", "", "--channels", "1"}).streamName.isEmpty());
    o = parsed({"stream", "delete", "Desk", "Main"});
    EXPECT_EQ(o.command, CtlOptions::StreamDelete);
    EXPECT_EQ(o.timeoutMs, 2000);
    EXPECT_FALSE(o.chinese);
    EXPECT_EQ(parsed({"send", "-"}).args, QStringList({"-"}));
}

TEST(CtlOptionsTest, UsageErrorsAreNamed)
{
    EXPECT_TRUE(refused({"route"}).contains("list, add, remove"));
    EXPECT_TRUE(refused({"stream", "rename", "x"}).contains("create, delete"));
    EXPECT_TRUE(refused({"route", "add", "A:1"}).contains("route add"));
    EXPECT_TRUE(refused({"route", "remove", "A:1", "B:2"}).contains("route remove"));
    EXPECT_TRUE(refused({"send"}).contains("send"));
    EXPECT_TRUE(refused({"send", "-", "{}"}).contains("standard input"));
    EXPECT_TRUE(refused({"stream", "create", "Desk", "--name", "x"}).contains("--channels"));
    EXPECT_TRUE(refused({"stream", "delete", "Desk", "x", "--name", "y"}).contains("only for stream create"));
    EXPECT_TRUE(refused({"devices", "--json"}).contains("only for send, route and stream"));
    EXPECT_TRUE(refused({"watch", "--timeout", "1"}).contains("--timeout"));
    for (const char* bad : {"0", "-1", "abc", "7200"})
        EXPECT_TRUE(refused({"send", "{}", "--timeout", bad}).contains("--timeout")) << bad;
    EXPECT_TRUE(refused({"send", "{}", "--lang", "fr"}).contains("cn or en"));
    EXPECT_TRUE(refused({"send", "{}", "--lang"}).contains("--lang"));
    EXPECT_TRUE(refused({"route", "list", "--frob"}).contains("--frob"));
    EXPECT_TRUE(refused({"--ip", "10.0.0.300", "route", "list"}).contains("--ip"));
}

TEST(CtlOptionsTest, UsageExitCodeFollowsTheCommand)
{
    EXPECT_EQ(CtlOptions::usageExitCode({"route", "add", "x"}), CtlExit::kUsage);
    // The value of an option is not taken for the command word.
    EXPECT_EQ(CtlOptions::usageExitCode({"--ip", "10.0.0.1", "--timeout", "x", "send"}), CtlExit::kUsage);
    EXPECT_EQ(CtlOptions::usageExitCode({"--seconds", "send", "devices"}), CtlExit::kListError);
    EXPECT_EQ(CtlOptions::usageExitCode({"stream"}), CtlExit::kUsage);
    EXPECT_EQ(CtlOptions::usageExitCode({"devices", "--frob"}), CtlExit::kListError);
    EXPECT_EQ(CtlOptions::usageExitCode({"frobnicate"}), CtlExit::kListError);
    EXPECT_EQ(CtlOptions::usageExitCode({}), CtlExit::kListError);
    // The control commands' usage code differs from every outcome a device can cause.
    for (int code : {CtlExit::kOk, CtlExit::kRefused, CtlExit::kNoReply, CtlExit::kUnknown})
        EXPECT_NE(code, CtlExit::kUsage);
}

#include "CtlSecrets.h"
#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOutput.h"
#include "CtlReply.h"
#include "CtlSend.h"
#include "DevDetailStore.h"
#include "LogRedaction.h"
#include "WatchPrinter.h"

#include <QJsonDocument>
#include <QMap>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const char kSecret[] = "Tr0ub4dor";

/// A source of passwords with a given environment and lines typed on standard input.
struct Source
{
    QMap<QByteArray, QByteArray> env;
    QStringList lines;
    bool interactive = false;
    QStringList prompts; ///< what was asked, in order

    CtlSecrets secrets()
    {
        return CtlSecrets([this](const char* name) { return env.value(name); },
                          [this](const QString& prompt, QString* line, QString* error) {
                              prompts << prompt;
                              if (lines.isEmpty()) {
                                  *error = QStringLiteral("standard input ended");
                                  return false;
                              }
                              *line = lines.takeFirst();
                              return true;
                          },
                          interactive);
    }
};

/// What `run` writes to standard output and standard error.
QPair<QByteArray, QByteArray> captured(const std::function<void()>& run)
{
    std::fflush(stdout);
    std::fflush(stderr);
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    const int savedOut = ::dup(STDOUT_FILENO), savedErr = ::dup(STDERR_FILENO);
    ::dup2(::fileno(out), STDOUT_FILENO);
    ::dup2(::fileno(err), STDERR_FILENO);
    run();
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(savedOut, STDOUT_FILENO);
    ::dup2(savedErr, STDERR_FILENO);
    ::close(savedOut);
    ::close(savedErr);
    auto read = [](FILE* f) {
        QByteArray all;
        std::rewind(f);
        char buf[4096];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            all.append(buf, static_cast<int>(n));
        std::fclose(f);
        return all;
    };
    return {read(out), read(err)};
}

} // namespace

TEST(CtlSecretsTest, MissingPasswordsComeFromTheEnvironmentThenStandardInput)
{
    const QByteArray kSecretBytes(kSecret);
    const struct
    {
        const char* name;
        const char* message;
        QMap<QByteArray, QByteArray> env;
        QStringList lines;
        bool interactive;
        const char* expected; ///< the completed message (compact), or nullptr when refused
        int reads;            ///< lines asked for
    } rows[] = {
        {"given on the line",
         R"({"ops":"setLock","password":"x1","val":"0x1"})",
         {},
         {},
         false,
         R"({"ops":"setLock","password":"x1","val":"0x1"})",
         0},
        {"lock from variable",
         R"({"ops":"setLock","val":"0x1"})",
         {{"MERIDANE_PASSWORD", kSecretBytes}},
         {},
         false,
         R"({"ops":"setLock","password":"Tr0ub4dor","val":"0x1"})",
         0},
        {"lock from input",
         R"({"ops":"setLock","val":"0x1"})",
         {},
         {kSecret},
         false,
         R"({"ops":"setLock","password":"Tr0ub4dor","val":"0x1"})",
         1},
        {"variable before input",
         R"({"ops":"setLock"})",
         {{"MERIDANE_PASSWORD", "env1"}},
         {"typed"},
         false,
         R"({"ops":"setLock","password":"env1"})",
         0},
        // An empty old password says none is set yet.
        {"change from input",
         R"({"ops":"setPassword","isByself":"isByself"})",
         {},
         {"", kSecret},
         false,
         R"({"isByself":"isByself","new":"Tr0ub4dor","old":"","ops":"setPassword"})",
         2},
        {"old given, new from variable",
         R"({"ops":"setPassword","old":"o"})",
         {{"MERIDANE_NEW_PASSWORD", "n2"}, {"MERIDANE_OLD_PASSWORD", "ignored"}},
         {},
         false,
         R"({"new":"n2","old":"o","ops":"setPassword"})",
         0},
        {"old variable set but empty",
         R"({"ops":"setPassword"})",
         {{"MERIDANE_OLD_PASSWORD", ""}, {"MERIDANE_NEW_PASSWORD", "n2"}},
         {},
         false,
         R"({"new":"n2","old":"","ops":"setPassword"})",
         0},
        {"typed new password confirmed",
         R"({"ops":"setPassword","old":"o"})",
         {},
         {"n3", "n3"},
         true,
         R"({"new":"n3","old":"o","ops":"setPassword"})",
         2},
        {"other commands untouched",
         R"({"ops":"setDevName","name":"A"})",
         {},
         {"x"},
         false,
         R"({"name":"A","ops":"setDevName"})",
         0},
        // Refused before anything is sent.
        {"typed confirmation differs", R"({"ops":"setPassword","old":"o"})", {}, {"n3", "n4"}, true, nullptr, 2},
        {"nothing to read", R"({"ops":"setLock","val":"0x1"})", {}, {}, false, nullptr, 1},
        {"empty lock password", R"({"ops":"setLock"})", {{"MERIDANE_PASSWORD", ""}}, {}, false, nullptr, 0},
        {"trailing blank", R"({"ops":"setLock"})", {}, {"Tr0ub4dor "}, false, nullptr, 1},
        {"blank in new", R"({"ops":"setPassword","old":"o"})", {}, {"Tr0 ub4dor"}, false, nullptr, 1},
        {"oversized variable",
         R"({"ops":"setLock"})",
         {{"MERIDANE_PASSWORD", QByteArray(CtlSecrets::kMaxBytes + 1, 'p') + kSecretBytes}},
         {},
         false,
         nullptr,
         0},
    };
    for (const auto& r : rows) {
        Source src{r.env, r.lines, r.interactive, {}};
        QJsonObject msg = QJsonDocument::fromJson(r.message).object();
        QString error;
        const bool ok = src.secrets().complete(&msg, &error);
        EXPECT_EQ(ok, r.expected != nullptr) << r.name << ": " << error.toStdString();
        if (r.expected) {
            EXPECT_EQ(msg, QJsonDocument::fromJson(r.expected).object()) << r.name;
        } else {
            EXPECT_FALSE(error.isEmpty()) << r.name;
        }
        EXPECT_FALSE(error.contains(kSecret)) << r.name;
        EXPECT_EQ(src.prompts.size(), r.reads) << r.name;
    }
}

TEST(CtlSecretsTest, LinesAreReadOneAtATimeAndBounded)
{
    const QByteArray longLine(CtlSecrets::kMaxBytes + 1, 'x');
    const struct
    {
        QByteArray input;
        QList<QPair<bool, QByteArray>> reads; ///< each read: taken, line
    } rows[] = {
        {"abc\nrest\n", {{true, "abc"}, {true, "rest"}, {false, ""}}},
        {"abc\r\nlast", {{true, "abc"}, {true, "last"}, {false, ""}}},
        {"\n\n", {{true, ""}, {true, ""}, {false, ""}}},
        {"", {{false, ""}}},
        // A line over the bound is refused, not cut, and the next line is read whole.
        {longLine + "\nnext\n", {{false, ""}, {true, "next"}}},
        {QByteArray(CtlSecrets::kMaxBytes, 'y') + "\r\n", {{true, QByteArray(CtlSecrets::kMaxBytes, 'y')}}},
        {longLine, {{false, ""}}},
    };
    for (const auto& r : rows) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        ASSERT_EQ(::write(fds[1], r.input.constData(), size_t(r.input.size())), ssize_t(r.input.size()));
        ::close(fds[1]);
        for (int i = 0; i < r.reads.size(); ++i) {
            QByteArray line = "stale";
            QString error;
            EXPECT_EQ(CtlSecrets::readLine(fds[0], &line, &error), r.reads[i].first) << r.input.left(20).data() << i;
            EXPECT_EQ(line, r.reads[i].second) << r.input.left(20).data() << i;
            EXPECT_EQ(error.isEmpty(), r.reads[i].first) << r.input.left(20).data() << i;
        }
        ::close(fds[0]);
    }
}

// Every way meridane-ctl prints a request or a reply: a password in it does not reach either stream.
TEST(CtlSecretsTest, NoPrintedLineCarriesAPassword)
{
    DevDetail_t d;
    d.devId = "MDSEC1";
    d.name = "Desk";
    d.ip = 0x0A4D0015;
    d.port = 9990;
    DevDetailStore::instance().insertDevDetail(d);
    CtlNetwork net(false);
    const QJsonObject reply{{"ops", "setPassword"}, {"devId", "MDSEC1"}, {"result", "succ"},
                            {"old", kSecret},       {"new", kSecret},    {"password", kSecret}};
    const QString replyText = QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));

    auto sendOne = [&](bool json, const QString& message, Source src, int exitCode) {
        return [&net, json, message, src, exitCode]() mutable {
            CtlOptions o;
            o.dryRun = true;
            o.json = json;
            o.timeoutMs = 0;
            CtlSend send(net, o, src.secrets());
            EXPECT_EQ(send.one(message), exitCode) << message.toStdString();
        };
    };
    const Source typed{{}, {kSecret}, false, {}};
    const Source fromEnv{{{"MERIDANE_OLD_PASSWORD", kSecret}, {"MERIDANE_NEW_PASSWORD", "N3w-pw"}}, {}, false, {}};
    const struct
    {
        const char* path;
        std::function<void()> run;
        bool masked; ///< the mask shows where the password was
    } rows[] = {
        {"dry run, json, typed", sendOne(true, R"({"ops":"setLock","devId":"MDSEC1","val":"0x1"})", typed, 0), true},
        {"dry run, text, typed", sendOne(false, R"({"ops":"setLock","devId":"MDSEC1","val":"0x1"})", typed, 0), true},
        {"dry run, json, variables", sendOne(true, R"({"ops":"setPassword","devId":"MDSEC1"})", fromEnv, 0), true},
        {"dry run, on the line",
         sendOne(false, QStringLiteral(R"({"ops":"setLock","devId":"MDSEC1","password":"%1"})").arg(kSecret), {}, 0),
         true},
        {"broken message", sendOne(true, QStringLiteral(R"({"ops":"setLock","password":"%1")").arg(kSecret), {}, 4),
         false},
        {"refused typed password",
         sendOne(true, R"({"ops":"setLock","devId":"MDSEC1"})", Source{{}, {QString(kSecret) + " "}, false, {}},
                 CtlExit::kUsage),
         false},
        {"result json", [&] { CtlOutput::result(true, reply, QString()); }, true},
        {"result readable", [&] { CtlOutput::result(false, reply, CtlReply::describe(reply)); }, true},
        {"watch message", [&] { WatchPrinter().recvMessage(replyText); }, true},
        {"watch cut message", [&] { WatchPrinter().recvMessage(replyText.left(replyText.size() - 1)); }, false},
        {"watch back data", [&] { WatchPrinter().recvBackData(replyText); }, true},
        {"progress quoting a reply", [&] { CtlOutput::progress("Desk failed: " + replyText, 1, 2); }, false},
    };
    for (const auto& r : rows) {
        const auto out = captured(r.run);
        const QByteArray all = out.first + out.second;
        EXPECT_FALSE(all.isEmpty()) << r.path;
        EXPECT_FALSE(all.contains(kSecret)) << r.path << ": " << all.constData();
        EXPECT_FALSE(all.contains("N3w-pw")) << r.path;
        if (r.masked) {
            EXPECT_TRUE(all.contains(LogRedaction::kMask)) << r.path << ": " << all.constData();
        }
    }
    DevDetailStore::instance().removeDevDetail("MDSEC1");
}

#include "ReasonText.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "LogRedaction.h"
#include "ReplyDispatcher.h"

#include <QJsonDocument>
#include <gtest/gtest.h>
#include <vector>

TEST(ReasonTextTest, KnownReasonsInBothLanguagesOthersUnchanged)
{
    struct Row
    {
        const char* reason;
        QString chinese;
        QString english;
    };
    const Row rows[] = {
        {"LOCK_UCAST_MCAST", QStringLiteral("设置失败,设备已上锁"), QStringLiteral("LOCK_UCAST_MCAST")},
        {"mismatch", QStringLiteral("密码错误"), QStringLiteral("Password error")},
        {"no free sdpId", QStringLiteral("达到组播上限"), QStringLiteral("Reach Stream Limit")},
        {"设置成功", QStringLiteral("设置成功"), QStringLiteral("Set successfully")},
        {"fail", QStringLiteral("fail"), QStringLiteral("fail")},
        {"", QString(), QString()},
        // Only exact reasons are translated.
        {"Mismatch", QStringLiteral("Mismatch"), QStringLiteral("Mismatch")},
    };
    for (const Row& r : rows) {
        const QString reason = QString::fromUtf8(r.reason);
        EXPECT_EQ(ReasonText::forReason(reason, true), r.chinese) << r.reason;
        EXPECT_EQ(ReasonText::forReason(reason, false), r.english) << r.reason;
    }
}

namespace {

QJsonObject parsed(const QByteArray& text)
{
    return QJsonDocument::fromJson(text).object();
}

} // namespace

TEST(LogRedactionTest, SecretValuesAreMaskedAtAnyDepthEmptyOnesAndOtherFieldsKept)
{
    const struct
    {
        const char* in;
        const char* out; ///< the compact text expected
    } rows[] = {
        {R"({"ops":"setLock","password":"hunter2","val":"0x3"})",
         R"({"ops":"setLock","password":"********","val":"0x3"})"},
        // An empty echo stays empty: it is how a reply says no password is set.
        {R"({"ops":"setPassword","old":"","new":"b2"})", R"({"new":"********","old":"","ops":"setPassword"})"},
        {R"({"ops":"x","inner":{"old":"a1"},"list":[{"password":"c3"},5]})",
         R"({"inner":{"old":"********"},"list":[{"password":"********"},5],"ops":"x"})"},
        // Whatever the type, a secret's value does not pass.
        {R"({"password":1234,"new":{"a":"b"},"old":["x"]})",
         R"({"new":"********","old":"********","password":"********"})"},
        // Text fields that carry a datagram of their own: masked inside, or withheld when cut.
        {R"({"back":"{\"old\":\"abc\"}","ops":"sendUdpToUart"})",
         R"({"back":"{\"old\":\"********\"}","ops":"sendUdpToUart"})"},
        {R"({"back":"{\"new\":\"abc","ops":"sendUdpToUart"})",
         R"({"back":"<11 bytes withheld>","ops":"sendUdpToUart"})"},
        // Nothing to mask: names of commands and fields are no secrets, and the text is kept as it came.
        {R"({"ops":"setPassword","result":"succ","name":"new hall"})",
         R"({"ops":"setPassword","result":"succ","name":"new hall"})"},
        {R"({"ops":"getLock", "val":"0x0","passwordSet":"1"})", R"({"ops":"getLock", "val":"0x0","passwordSet":"1"})"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(LogRedaction::redacted(QByteArray(r.in)), QByteArray(r.out)) << r.in;
        EXPECT_EQ(LogRedaction::redacted(parsed(r.in)), parsed(r.out)) << r.in;
        // Masking twice changes nothing, so layers that each redact agree.
        EXPECT_EQ(LogRedaction::redacted(LogRedaction::redacted(QByteArray(r.in))), QByteArray(r.out)) << r.in;
    }
}

TEST(LogRedactionTest, TextThatIsNotAnObjectIsWithheldOnlyWhenItMayHoldASecret)
{
    const struct
    {
        const char* in;
        bool withheld;
    } rows[] = {
        {"AT+VER?\r\n", false},
        {"", false},
        // A cut or malformed request must not slip through because it failed to parse.
        {R"({"ops":"setPassword","old":"abc","new":"de)", true},
        {R"(["password","abc"])", true},
        {"password=abc", true},
        {"PassWord: abc", true},
        // Embedded in a sentence, or escaped inside a text field.
        {R"(Desk failed: {"ops":"setPassword","new":"abc"...)", true},
        {"Golden hall renewed, Newton old", false},
    };
    for (const auto& r : rows) {
        const QByteArray out = LogRedaction::redacted(QByteArray(r.in));
        if (r.withheld) {
            EXPECT_FALSE(out.contains("abc")) << r.in;
            EXPECT_EQ(out, "<" + QByteArray::number(int(strlen(r.in))) + " bytes withheld>") << r.in;
        } else {
            EXPECT_EQ(out, QByteArray(r.in));
        }
    }
}

// Every way a reply reaches the windows passes the mask: handled, tagged, "cookie" and unknown replies.
TEST(LogRedactionTest, DispatchedRepliesReachTheWindowsMasked)
{
    dvm_resetForTest();
    const uint32_t ip = 0x0A4D000B;
    const QByteArray a = R"({"ops":"iAmVeranto","devId":"DEV1","name":"Box","ip":"10.77.0.11","port":"9990",)"
                         R"("chNumRx":"4","chNumTx":"2","sampleRate":"48000"})";
    userCallLib_handleUdp_mcast(a.constData(), a.size(), ip, 9996);
    DevDetailStore store;
    ASSERT_EQ(store.addFromRegistry("DEV1"), DevDetailStore::Added);
    std::vector<QString> messages;
    ReplyDispatcher::Sink sink;
    sink.recvMessage = [&](const QString& m) { messages.push_back(m); };
    ReplyDispatcher dispatcher(store, sink);

    const struct
    {
        const char* reply;
        int passwordSet; ///< the detail's flag afterwards, -1: not a password reply
    } rows[] = {
        {R"({"ops":"setPassword","result":"succ","old":"s3cret-old","new":"s3cret-new"})", 1},
        {R"({"ops":"setPassword","result":"succ","old":"s3cret-old","new":""})", 0},
        {R"({"ops":"setLock","result":"fail","reason":"mismatch","password":"s3cret"})", -1},
        {R"({"ops":"setLock","uiTag":"dspUiTag","result":"succ","password":"s3cret"})", -1},
        {R"({"ops":"setLock","cookie":"0","password":"s3cret"})", -1},
        {R"({"ops":"somethingNew","new":"s3cret"})", -1},
    };
    for (const auto& r : rows) {
        const size_t before = messages.size();
        dispatcher.dispatch(r.reply, int(strlen(r.reply)), ip, 9990);
        ASSERT_EQ(messages.size(), before + 1) << r.reply;
        EXPECT_FALSE(messages.back().contains("s3cret")) << r.reply;
        const QJsonObject in = parsed(r.reply), out = parsed(messages.back().toUtf8());
        for (const char* key : {"password", "old", "new"}) {
            if (in.contains(key)) {
                EXPECT_EQ(out.value(key).toString().isEmpty(), in.value(key).toString().isEmpty()) << r.reply;
            }
        }
        EXPECT_EQ(out.value("ops"), in.value("ops")) << r.reply;
        if (r.passwordSet >= 0) {
            EXPECT_EQ(store.getDevDetail("DEV1").passwordSet, r.passwordSet) << r.reply;
        }
    }
    dvm_resetForTest();
}

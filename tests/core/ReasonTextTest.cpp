#include "ReasonText.h"
#include "LogRedaction.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

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

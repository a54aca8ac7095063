#include "ReasonText.h"
#include "LogRedaction.h"

#include <QJsonArray>
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

TEST(LogRedactionTest, SecretsAreWithheldAtAnyDepthOtherFieldsKept)
{
    const QByteArray lock = R"({"ops":"setLock","password":"hunter2","val":"0x3"})";
    const QByteArray out = LogRedaction::redacted(lock);
    EXPECT_FALSE(out.contains("hunter2"));
    const QJsonObject o = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(o.value("password").toString(), "***");
    EXPECT_EQ(o.value("val").toString(), "0x3");
    EXPECT_EQ(o.value("ops").toString(), "setLock");

    const QByteArray nested = R"({"ops":"x","inner":{"old":"a1","new":"b2"},"list":[{"password":"c3"}]})";
    const QByteArray n = LogRedaction::redacted(nested);
    for (const char* secret : {"a1", "b2", "c3"})
        EXPECT_FALSE(n.contains(secret)) << secret;
}

TEST(LogRedactionTest, TextThatIsNotJsonIsWithheldOnlyWhenItMayHoldASecret)
{
    EXPECT_EQ(LogRedaction::redacted(QByteArray("AT+VER?\r\n")), QByteArray("AT+VER?\r\n"));
    // A cut or malformed request must not slip through because it failed to parse.
    const QByteArray broken = R"({"ops":"setPassword","old":"abc","new":"de)";
    const QByteArray out = LogRedaction::redacted(broken);
    EXPECT_FALSE(out.contains("abc"));
    EXPECT_TRUE(out.contains("withheld"));
}

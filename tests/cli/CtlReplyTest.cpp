#include "CtlReply.h"
#include "CtlExit.h"
#include "CtlSend.h"
#include "CtlStreams.h"

#include <QJsonArray>
#include <gtest/gtest.h>

TEST(CtlReplyTest, ExitCodeOfAReply)
{
    EXPECT_EQ(CtlReply::exitCode({{"ops", "setDevName"}, {"result", "succ"}}), CtlExit::kOk);
    EXPECT_EQ(CtlReply::exitCode({{"ops", "setDevName"}, {"result", "fail"}, {"reason", "x"}}), CtlExit::kRefused);
    EXPECT_EQ(CtlReply::exitCode({{"ops", "setDevName"}, {"result", ""}}), CtlExit::kRefused);
    EXPECT_EQ(CtlReply::exitCode({{"ops", "setDevName"}, {"result", "SUCC"}}), CtlExit::kRefused);
    // A tunnel return carries no result: the bytes came back, which is all it can say.
    EXPECT_EQ(CtlReply::exitCode({{"ops", "sendUdpToUart"}, {"back", "AT\r\nOK\r\n"}}), CtlExit::kOk);
}

TEST(CtlReplyTest, RefusalsUseTheSharedReasonTexts)
{
    const QJsonObject locked{{"ops", "clrRxCh"}, {"result", "fail"}, {"reason", "LOCK_UCAST_MCAST"}};
    EXPECT_EQ(CtlReply::refusalText(locked, false), "LOCK_UCAST_MCAST");
    EXPECT_EQ(CtlReply::refusalText(locked, true), "设置失败,设备已上锁");
    const QJsonObject password{{"ops", "setPassword"}, {"result", "fail"}, {"reason", "mismatch"}};
    EXPECT_EQ(CtlReply::refusalText(password, false), "Password error");
    EXPECT_EQ(CtlReply::refusalText(password, true), "密码错误");
    const QJsonObject full{{"ops", "setMcastTx"}, {"result", "fail"}, {"reason", "no free sdpId"}};
    EXPECT_EQ(CtlReply::refusalText(full, false), "Reach Stream Limit");
    EXPECT_EQ(CtlReply::refusalText({{"ops", "setDscp"}, {"result", "fail"}, {"reason", "invalid dscp"}}, false),
              "invalid dscp");
    EXPECT_EQ(CtlReply::refusalText({{"ops", "setDscp"}, {"result", "fail"}}, false), "setDscp: fail");
}

TEST(CtlReplyTest, ReadableLine)
{
    const QJsonObject reply{{"ops", "getAllPhyLevel"},
                            {"devId", "MD01"},
                            {"result", "succ"},
                            {"inOrOut", "1"},
                            {"arr", QJsonArray{"-1.0", "-inf"}}};
    EXPECT_EQ(CtlReply::describe(reply), R"(getAllPhyLevel MD01: succ arr=["-1.0","-inf"] inOrOut=1)");
    EXPECT_EQ(CtlReply::describe({{"ops", "setIp"}}), "setIp");
}

TEST(CtlReplyTest, RepliesAreMatchedByCommandAndDevice)
{
    const QVector<QJsonObject> messages = {
        {{"ops", "getVersion"}, {"devId", "MD02"}}, // another device
        {{"ops", "clockEvent"}, {"devId", "MD01"}}, // another command
        {{"ops", "getVersion"}, {"devId", "MD01"}}, // the one
        {{"ops", "getVersion"}, {"devId", "MD01"}, {"x", "later"}},
        {{"ops", "getGpioInfo"}}, // no devId: taken as ours
    };
    EXPECT_EQ(CtlSend::findReply(messages, 0, "getVersion", "MD01"), 2);
    EXPECT_EQ(CtlSend::findReply(messages, 3, "getVersion", "MD01"), 3);
    EXPECT_EQ(CtlSend::findReply(messages, 4, "getVersion", "MD01"), -1) << "earlier messages are not replies";
    EXPECT_EQ(CtlSend::findReply(messages, 0, "getVersion", "MD03"), -1);
    EXPECT_EQ(CtlSend::findReply(messages, 0, "getGpioInfo", "MD01"), 4);
    EXPECT_EQ(CtlSend::findReply(messages, -5, "getVersion", "MD02"), 0);
}

TEST(CtlReplyTest, AddressFieldsOfTheCreationPage)
{
    QString ip[4];
    CtlStreams::addressFields(QString(), ip);
    EXPECT_EQ(ip[0], "239");
    EXPECT_EQ(ip[1], "69");
    EXPECT_TRUE(ip[2].isEmpty() && ip[3].isEmpty());
    CtlStreams::addressFields("239.1.2.3", ip);
    EXPECT_EQ(ip[3], "3");
    CtlStreams::addressFields("239.1", ip);
    EXPECT_EQ(ip[1], "1");
    EXPECT_TRUE(ip[2].isEmpty()) << "missing parts stay empty, as unfilled fields";
    CtlStreams::addressFields("239.1.2.3.4", ip);
    EXPECT_EQ(ip[0], "256") << "five parts name no group";
}

#include "LockRequests.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {
DevDetail_t device(const QString& model)
{
    DevDetail_t d;
    d.devId = "D1";
    d.ip = 0x0A000005;
    d.port = 9990;
    d.model = model;
    return d;
}
} // namespace

TEST(LockRequestsTest, PortsAndWireForm)
{
    const QJsonObject lock{{"ops", "setLock"}, {"devId", "D1"}, {"TAG", "x"}, {"password", "pw"}, {"val", 1}};
    DeviceRequest r = LockRequests::forMessage(lock, device("MRD-A16"));
    ASSERT_TRUE(r.isValid());
    EXPECT_EQ(r.ip, 0x0A000005u);
    EXPECT_EQ(r.port, 9995);
    // Sorted keys, every scalar as text, the naming fields left behind.
    EXPECT_EQ(r.body, R"({"ops":"setLock","password":"pw","val":"1"})");

    QJsonObject dsp = lock;
    dsp.insert("uiTag", "dspUiTag");
    EXPECT_EQ(LockRequests::forMessage(dsp, device("MRD-A16")).port, 8999);
    EXPECT_EQ(LockRequests::forMessage(dsp, device("MRD-M16")).port, 9995) << "the model's own DSP lock port";

    r = LockRequests::forMessage({{"ops", "setPassword"}, {"devId", "D1"}, {"old", ""}, {"new", "a"}},
                                 device("MRD-A16"));
    EXPECT_EQ(r.port, 9994);
    EXPECT_EQ(r.body, R"({"new":"a","old":"","ops":"setPassword"})");
}

TEST(LockRequestsTest, OnlyTheLockDialogsRequests)
{
    EXPECT_TRUE(LockRequests::handles("setLock"));
    EXPECT_TRUE(LockRequests::handles("setPassword"));
    // An untagged "getLock" is answered into the detail store only: no window would hear the reply.
    EXPECT_FALSE(LockRequests::handles("getLock"));
    EXPECT_FALSE(LockRequests::forMessage({{"ops", "getLock"}}, device("MRD-A16")).isValid());
    EXPECT_FALSE(LockRequests::forMessage({{"ops", "setLock"}}, DevDetail_t()).isValid());
}

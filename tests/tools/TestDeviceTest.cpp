#include "TestDevice.h"
#include "DevDetailStore.h"
#include "ModelTable.h"

#include <gtest/gtest.h>

namespace {

DevDetail_t detail(const QString& id, uint32_t ip, const QString& model, int phyIn)
{
    DevDetail_t d;
    d.devId = id;
    d.name = "name-" + id;
    d.ip = ip;
    d.port = 9990;
    d.model = model;
    d.firmwareVersion = "3.1.4";
    d.canWork = true;
    d.phyRxChNames = s_dev_detail::numberedNames("AnalogIn", phyIn);
    d.phyTxChNames = s_dev_detail::numberedNames("AnalogOut", 4);
    d.rxChNames = s_dev_detail::numberedNames("NetIn", 8);
    d.txChNames = s_dev_detail::numberedNames("NetOut", 8);
    return d;
}

TestProbeAnswer::Answer answer(const char* host, uint32_t ip, const char* model = "", const char* firmware = "")
{
    TestProbeAnswer::Answer a;
    a.hostname = QString::fromLatin1(host);
    a.ip = ip;
    a.boardModel = QString::fromLatin1(model);
    a.firmware = QString::fromLatin1(firmware);
    return a;
}

TEST(TestDevice, AnswersAreResolvedAgainstTheDeviceList)
{
    DevDetailStore store;
    store.insertDevDetail(detail("MD01", 0x0A000001, "MRD-A16", 16));
    store.insertDevDetail(detail("MRP-0A000002", 0x0A000002, "MRD-P64", 0));
    store.insertDevDetail(detail("AMP1", 0x0A000003, "MRA-4", 0));
    const ModelTable& models = ModelTable::instance();
    const struct
    {
        const char* what;
        TestProbeAnswer::Answer a;
        const char* devId; // null: not listed
        const char* label;
    } rows[] = {
        {"host name is the devId", answer("MD01", 0x0A0000FF, "BRD-7", "3.2.0"), "MD01",
         "name-MD01 (MD01) 10.0.0.1 BRD-7 3.2.0"},
        {"secondary unit's name", answer("SMRP-0A000002", 0x0A000065), "MRP-0A000002",
         "name-MRP-0A000002 (MRP-0A000002) 10.0.0.2 MRD-P64 3.1.4"},
        {"by address", answer("whoever", 0x0A000001), "MD01", "name-MD01 (MD01) 10.0.0.1 MRD-A16 3.1.4"},
        {"unknown", answer("X9", 0x0A000009, "BRD-1"), nullptr, "X9 10.0.0.9 BRD-1"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const TestDevice d = TestDevice::resolve(r.a, store, models);
        EXPECT_EQ(d.listed, r.devId != nullptr);
        if (r.devId) {
            EXPECT_EQ(d.devId, QString::fromLatin1(r.devId));
        }
        EXPECT_EQ(d.label(), QString::fromLatin1(r.label));
    }
    const TestDevice md = TestDevice::resolve(answer("MD01", 0), store, models);
    EXPECT_EQ(md.port, 9990);
    EXPECT_EQ(md.phyInputs, 16);
    EXPECT_EQ(md.netOutputs, 8);
    EXPECT_TRUE(md.active);
    EXPECT_FALSE(md.amplifier);
    EXPECT_TRUE(TestDevice::resolve(answer("AMP1", 0), store, models).amplifier);
}

} // namespace

#include "DesignCheck.h"
#include "OfflineTestDesign.h"

#include <gtest/gtest.h>

namespace {

using Finding = DesignCheck::Finding;

TEST(DesignCheck, FindsEachFaultOfADesign)
{
    using Edit = std::function<void(OfflineData::DeviceList&, QVector<OfflineMcast>&)>;
    auto detail = [](OfflineData::DeviceList& d, int i) -> OfflineDevDetail& { return d[size_t(i)]->detail(); };
    struct Case
    {
        const char* name;
        Edit edit;
        QVector<Finding::Kind> kinds;
    } cases[] = {
        {"clean", [](auto&, auto&) {}, {}},
        {"unicast from a device not in the design",
         [](auto& d, auto&) {
             d[1]->ucastRoutes().append({"GONE", 0, 0});
         },
         {Finding::MissingDevice}},
        {"unicast from a transmit channel the sender lacks",
         [](auto& d, auto&) {
             d[1]->ucastRoutes().append({d[0]->devId(), 8, 0});
         },
         {Finding::MissingChannel}},
        {"unicast to a receive channel the device lacks",
         [](auto& d, auto&) {
             d[1]->ucastRoutes().append({d[0]->devId(), 0, 8});
         },
         {Finding::MissingChannel}},
        {"a device gone without its routes",
         [](auto& d, auto&) { d.erase(d.begin()); },
         {Finding::MissingDevice, Finding::MissingDevice, Finding::MissingStream}},
        {"multicast route to a stream nobody sends",
         [](auto& d, auto&) {
             d[2]->mcastRoutes().append({"NOPE", d[0]->devId(), 0, 0, "", "239.1.1.1", 5004, 2, 3, 0});
         },
         {Finding::MissingStream}},
        {"two streams on one address",
         [&](auto& d, auto& m) {
             detail(d, 1).mcastList[0].dstIp = detail(d, 0).mcastList[0].dstIp;
             m.clear(); // the global list plays no part
         },
         {Finding::SharedAddress}},
        {"same address, other port",
         [&](auto& d, auto& m) {
             detail(d, 1).mcastList[0].dstIp = detail(d, 0).mcastList[0].dstIp;
             detail(d, 1).mcastList[0].dstPort = 5006;
             m[1] = detail(d, 1).mcastList[0];
         },
         {}},
        {"more streams than the device can send",
         [&](auto& d, auto&) {
             for (int i = 0; i < DesignCheck::DefaultMcastCapacity; ++i) {
                 OfflineMcast s = detail(d, 1).mcastList[0];
                 s.name += QString::number(i);
                 s.dstPort = 6000 + i;
                 detail(d, 1).mcastList.append(s);
             }
         },
         {Finding::OverCapacity}},
        {"a sample rate the type does not offer",
         [&](auto& d, auto&) { detail(d, 2).sampleRate = 32000; },
         {Finding::UnofferedRate}},
        {"a stream at a rate the type does not offer",
         [&](auto& d, auto&) { detail(d, 2).mcastList[0].sampleRate = 192000; },
         {Finding::UnofferedRate}},
        {"a type that lists no rates says nothing",
         [&](auto& d, auto&) {
             detail(d, 2).sampleRate = 32000;
             detail(d, 2).devListInfo.sampleRateList.clear();
         },
         {}},
        {"a stream carrying a channel the sender lacks",
         [&](auto& d, auto&) { detail(d, 0).mcastList[0].srcChannels.append(20); },
         {Finding::MissingChannel}},
    };
    for (const Case& c : cases) {
        OfflineData data;
        OfflineTestDesign::build(data, 3);
        data.editWithLock(c.edit);
        QVector<Finding::Kind> kinds;
        QStringList lines;
        for (const Finding& f : DesignCheck::run(data)) {
            kinds.append(f.kind);
            lines.append(f.text);
            EXPECT_FALSE(f.devId.isEmpty()) << c.name;
        }
        EXPECT_EQ(kinds, c.kinds) << c.name << ": " << lines.join(" | ").toStdString();
    }
}

} // namespace

#include "ArchiveAssignment.h"
#include "DevManager.h"
#include "LoadTestDevices.h"

#include <gtest/gtest.h>

using namespace LoadTestDevices;

namespace {

QStringList onlineIds(const QVector<ArchiveAssignment::Pair>& pairs)
{
    QStringList out;
    for (const ArchiveAssignment::Pair& p : pairs)
        out << p.onlineDevId;
    return out;
}

} // namespace

TEST(ArchiveAssignment, AutomaticMatchesModelAndCountsSameIdentifierFirst)
{
    struct Case
    {
        const char* what;
        std::vector<OfflineDevice> archive;
        QVector<OnlineDeviceFacts> online;
        QStringList expected;
    };
    const Case cases[] = {
        {"no compatible online device stays unassigned", {archive("A", "M-8")}, {facts("X", "M-16")}, {QString()}},
        {"two archive devices of one model take two different devices",
         {archive("A"), archive("B")},
         {facts("X"), facts("Y")},
         {"X", "Y"}},
        {"the same identifier is preferred even listed last",
         {archive("A"), archive("B")},
         {facts("X"), facts("B")},
         {"X", "B"}},
        {"the same identifier is kept for its own archive device",
         {archive("A"), archive("X")},
         {facts("X"), facts("Y")},
         {"Y", "X"}},
        {"a receive count differs", {archive("A", "M-8", 4)}, {facts("A", "M-8", 8)}, {QString()}},
        {"a transmit count differs", {archive("A", "M-8", 4, 4)}, {facts("A", "M-8", 4, 2)}, {QString()}},
        {"a physical receive count differs", {archive("A", "M-8", 4, 4, 2)}, {facts("A", "M-8", 4, 4, 1)}, {QString()}},
        {"a physical transmit count differs",
         {archive("A", "M-8", 4, 4, 2, 2)},
         {facts("A", "M-8", 4, 4, 2, 0)},
         {QString()}},
        {"same identifier but another model: the compatible one is taken",
         {archive("A", "M-8")},
         {facts("A", "M-16"), facts("Z", "M-8")},
         {"Z"}},
        {"more archive devices than online ones", {archive("A"), archive("B")}, {facts("X")}, {"X", QString()}},
    };
    for (const Case& c : cases) {
        QStringList log;
        const QVector<ArchiveAssignment::Pair> pairs = ArchiveAssignment::automatic(c.archive, c.online, &log);
        EXPECT_EQ(onlineIds(pairs), c.expected) << c.what;
        ASSERT_EQ(pairs.size(), int(c.archive.size())) << c.what;
        ASSERT_EQ(log.size(), int(c.archive.size())) << c.what;
        for (int i = 0; i < pairs.size(); ++i) {
            EXPECT_EQ(pairs[i].offlineDevId, c.archive[size_t(i)].devId()) << c.what;
            const char* expectedLog =
                pairs[i].onlineDevId.isEmpty() ? "No compatible device found for:" : "Auto-matched device:";
            EXPECT_TRUE(log[i].startsWith(QLatin1String(expectedLog))) << c.what << " " << log[i].toStdString();
        }
    }
}

TEST(ArchiveAssignment, ApplyTextOverridesOrRefusesWithoutChangingThePairs)
{
    const std::vector<OfflineDevice> arch = {archive("A"), archive("B"), archive("C", "M-16")};
    OnlineDeviceFacts x = facts("X");
    x.name = QStringLiteral("Stage left");
    const QVector<OnlineDeviceFacts> online = {x, facts("Y"), facts("Z", "M-16")};
    const QVector<ArchiveAssignment::Pair> start = ArchiveAssignment::automatic(arch, online);
    ASSERT_EQ(onlineIds(start), QStringList({"X", "Y", "Z"}));

    struct Case
    {
        const char* text;
        bool ok;
        QStringList expected; ///< when ok
        const char* error;    ///< part of the error when refused
    };
    const Case cases[] = {
        {"A=Y", true, {"Y", "", "Z"}, ""},
        {"A=Y,B=X", true, {"Y", "X", "Z"}, ""},
        {"name-B=Stage left", true, {"", "X", "Z"}, ""},
        {"B=192.168.1.", false, {}, "no online device"},
        {"A=", true, {"", "Y", "Z"}, ""},
        {" A = Y , ", true, {"Y", "", "Z"}, ""},
        {"Q=X", false, {}, "no archive device"},
        {"A=Q", false, {}, "no online device"},
        {"A=Z", false, {}, "model"},
        {"A=X,B=X", false, {}, "twice"},
        {"A=X,A=Y", false, {}, "twice"},
        {"A", false, {}, "OFFLINE=ONLINE"},
    };
    for (const Case& c : cases) {
        QVector<ArchiveAssignment::Pair> pairs = start;
        QString error;
        const bool ok = ArchiveAssignment::applyText(QLatin1String(c.text), arch, online, &pairs, &error);
        EXPECT_EQ(ok, c.ok) << c.text << " " << error.toStdString();
        if (c.ok) {
            EXPECT_EQ(onlineIds(pairs), c.expected) << c.text;
        } else {
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << c.text << " " << error.toStdString();
            EXPECT_EQ(onlineIds(pairs), onlineIds(start)) << c.text;
        }
    }

    // An online device is also found by its address.
    QVector<ArchiveAssignment::Pair> pairs = start;
    QString error;
    ASSERT_TRUE(
        ArchiveAssignment::applyText(QStringLiteral("B=") + dvm_ipToString(online[0].ip), arch, online, &pairs, &error))
        << error.toStdString();
    EXPECT_EQ(onlineIds(pairs), QStringList({"", "X", "Z"}));
}

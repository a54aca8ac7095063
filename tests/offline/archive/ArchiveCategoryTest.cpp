#include "ArchiveCategory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Cat = ArchiveCategory;
using G = OfflineExportFlags;

struct ParseCase
{
    const char* text;
    bool ok;
    std::vector<Cat> chosen; ///< empty with ok: every category
    const char* errorPart;
};

class CategoryParseTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(CategoryParseTest, ParsesKeysAllAndRefusesUnknownOrEmpty)
{
    const ParseCase& c = GetParam();
    ArchiveCategories out = ArchiveCategories::none();
    out.set(Cat::DeviceInfo, true); // untouched on failure
    QString error;
    ASSERT_EQ(ArchiveCategories::parse(QString::fromUtf8(c.text), &out, &error), c.ok) << c.text;
    if (!c.ok) {
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.errorPart))) << error.toStdString();
        EXPECT_EQ(out.list(), QList<Cat>{Cat::DeviceInfo});
        return;
    }
    if (c.chosen.empty()) {
        EXPECT_TRUE(out.isAll());
        return;
    }
    EXPECT_EQ(out.list(), QList<Cat>(c.chosen.begin(), c.chosen.end()));
    // The keys of a set parse back into the same set.
    ArchiveCategories again;
    ASSERT_TRUE(ArchiveCategories::parse(out.keys(), &again, &error));
    EXPECT_EQ(again, out);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CategoryParseTest,
    ::testing::Values(ParseCase{"name", true, {Cat::DeviceName}, ""},
                      ParseCase{" routes , name ", true, {Cat::DeviceName, Cat::RouteConfig}, ""},
                      ParseCase{"info,channel-names,gains,params,depth,delay,ptp-priority,ptp-dscp,dscp,network,ip,"
                                "mcast-routes",
                                true,
                                {Cat::DeviceInfo, Cat::ChannelNames, Cat::ChannelGains, Cat::DeviceParams,
                                 Cat::SampleDepth, Cat::NetworkDelay, Cat::PtpPriority, Cat::PtpDscp, Cat::StreamDscp,
                                 Cat::NetworkConfig, Cat::IpAddress, Cat::DeviceRoutes},
                                ""},
                      ParseCase{"all", true, {}, ""}, ParseCase{"name,all", true, {}, ""},
                      ParseCase{"name,colour", false, {}, "colour"}, ParseCase{"Name", false, {}, "Name"},
                      ParseCase{"", false, {}, "no category"}, ParseCase{" , ,", false, {}, "no category"}));

TEST(ArchiveCategories, NamesAndKeysAreDistinctAndComplete)
{
    QStringList keys, chinese, english;
    for (int i = 0; i < ArchiveCategories::Count; ++i) {
        const Cat c = Cat(i);
        keys << ArchiveCategories::key(c);
        chinese << ArchiveCategories::displayName(c, true);
        english << ArchiveCategories::displayName(c, false);
    }
    for (QStringList l : {keys, chinese, english}) {
        EXPECT_FALSE(l.contains(QString()));
        EXPECT_EQ(l.removeDuplicates(), 0);
    }
    EXPECT_EQ(chinese.at(int(Cat::DeviceName)), QStringLiteral("设备名称"));
    EXPECT_EQ(chinese.at(int(Cat::PtpDscp)), QStringLiteral("PTP Dscp 优先级"));
    EXPECT_EQ(chinese.at(int(Cat::DeviceRoutes)), QStringLiteral("设备路由"));
    EXPECT_EQ(ArchiveCategories::all().keys(), QStringLiteral("all"));
}

struct FlagsCase
{
    std::vector<Cat> chosen;
    std::vector<G::Group> on;
};

class CategoryFlagsTest : public ::testing::TestWithParam<FlagsCase>
{
};

TEST_P(CategoryFlagsTest, ChoosesExactlyTheGroupsOfTheChosenCategories)
{
    ArchiveCategories set;
    for (Cat c : GetParam().chosen)
        set.set(c, true);
    const OfflineExportFlags flags = set.exportFlags();
    for (int g = 0; g < G::GroupCount; ++g) {
        const bool expected = std::count(GetParam().on.begin(), GetParam().on.end(), G::Group(g)) > 0;
        EXPECT_EQ(flags.isOn(G::Group(g)), expected) << "group " << g;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Groups, CategoryFlagsTest,
    ::testing::Values(FlagsCase{{Cat::DeviceName}, {G::DeviceName}}, FlagsCase{{Cat::NetworkConfig}, {G::Network}},
                      FlagsCase{{Cat::IpAddress}, {G::Network}},
                      FlagsCase{{Cat::RouteConfig, Cat::DeviceRoutes}, {G::Routes, G::McastRoutes}},
                      FlagsCase{{Cat::DeviceParams, Cat::ChannelGains}, {G::AudioParams, G::ChannelGains}},
                      FlagsCase{{Cat::DeviceInfo, Cat::SampleDepth, Cat::NetworkDelay},
                                {G::DeviceInfo, G::SampleDepth, G::NetworkDelay}},
                      FlagsCase{{Cat::PtpPriority, Cat::PtpDscp, Cat::StreamDscp, Cat::ChannelNames},
                                {G::PtpPriority, G::PtpDscp, G::StreamDscp, G::ChannelNames}}));

TEST(ArchiveCategories, AllChoosesEveryGroup)
{
    EXPECT_TRUE(ArchiveCategories::all().exportFlags().allOn());
    EXPECT_TRUE(ArchiveCategories::none().isEmpty());
}

} // namespace

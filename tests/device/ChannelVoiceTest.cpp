#include "channelVoice.h"
#include "DeviceTestSupport.h"
#include "FormChannelVoice.h"
#include "ShowDataThread.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

using namespace devicetest;

namespace {

const QString kDev = "MRD-0001";

class ChannelVoiceTest : public DeviceTest
{
protected:
    QList<QMessageBox*> questions(channelVoice& page)
    {
        QList<QMessageBox*> out;
        for (QMessageBox* box : page.findChildren<QMessageBox*>("retry_question"))
            if (box->isVisible())
                out << box;
        return out;
    }
};

TEST_F(ChannelVoiceTest, BuildsNamedRowsFromTheDetailRecord)
{
    insertDevice(kDev, "MRD-A16", 4, 2, 3, 5);
    channelVoice page(kDev);
    EXPECT_EQ(page.rowCount(channelVoice::PhyIn), 4);
    EXPECT_EQ(page.rowCount(channelVoice::PhyOut), 2);
    EXPECT_EQ(page.rowCount(channelVoice::NetIn), 3);
    EXPECT_EQ(page.rowCount(channelVoice::NetOut), 5);

    auto* name = page.findChild<QLineEdit*>("ChannelName:In:3");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "AnalogIn4");
    EXPECT_NE(page.findChild<QSlider*>("change_value_slider:out:1"), nullptr);
    EXPECT_NE(page.findChild<QLineEdit*>("show_val_le:In:0"), nullptr);
    EXPECT_NE(page.findChild<QAbstractButton*>("mute:out:0"), nullptr);
    EXPECT_NE(page.findChild<QWidget*>("meter:netOut:4"), nullptr);
    EXPECT_EQ(page.findChild<QLineEdit*>("ChannelName:netIn:2")->text(), "NetIn3");
    // Network channels have no gain or mute in the protocol, so their rows offer none.
    EXPECT_EQ(page.findChild<QSlider*>("change_value_slider:netIn:0"), nullptr);
    EXPECT_EQ(page.findChild<QWidget*>("ChannelName:In:4"), nullptr);

    // Physical rows come first on each tab, under their section titles.
    auto* input = page.findChild<QWidget*>("input_page");
    ASSERT_NE(input, nullptr);
    auto* phyTitle = input->findChild<QLabel*>("title:In");
    auto* netTitle = input->findChild<QLabel*>("title:netIn");
    ASSERT_TRUE(phyTitle && netTitle);
    EXPECT_EQ(netTitle->text(), "网络输入");
    page.resize(800, 600);
    page.show();
    const auto top = [input](QWidget* w) { return w->mapTo(input, QPoint(0, 0)).y(); };
    EXPECT_LT(top(phyTitle), top(page.row(channelVoice::PhyIn, 0)));
    EXPECT_LT(top(page.row(channelVoice::PhyIn, 0)), top(page.row(channelVoice::PhyIn, 3)));
    EXPECT_LT(top(page.row(channelVoice::PhyIn, 3)), top(netTitle));
    EXPECT_LT(top(netTitle), top(page.row(channelVoice::NetIn, 0)));
}

TEST_F(ChannelVoiceTest, RepliesReachTheRowsAndCompleteSidesAreStored)
{
    insertDevice(kDev, "MRD-A16", 4, 3, 0, 8);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    page.recvBackData(pageReply("getAllNetLevel", kDev, 1, 4, 8, {"-inf", "5", "-30"}));
    EXPECT_EQ(page.row(channelVoice::NetOut, 4)->meterValue(), -90);
    EXPECT_EQ(page.row(channelVoice::NetOut, 5)->level(), 5);
    EXPECT_EQ(page.row(channelVoice::NetOut, 6)->meterValue(), -30);
    EXPECT_EQ(page.row(channelVoice::NetOut, 3)->meterValue(), -90);

    page.recvBackData(pageReply("getAllPhyGain", kDev, 0, 0, 2, {"15", "-inf"}));
    EXPECT_EQ(page.findChild<QSlider*>("change_value_slider:In:0")->value(), 120);
    EXPECT_EQ(page.findChild<QLineEdit*>("show_val_le:In:1")->text(), "-60");
    ASSERT_EQ(sent.count(), 1);
    EXPECT_EQ(sent.at(0).at(0).toString(),
              QStringLiteral(R"({"devId":"MRD-0001","idStart":"2","inOrOut":"0","ops":"getAllPhyGain"})"));
    // Not stored before the read-out is complete.
    EXPECT_EQ(DevDetailStore::instance().getDevDetail(kDev).phyRxGains, (QVector<double>{0, 0, 0, 0}));
    page.recvBackData(pageReply("getAllPhyGain", kDev, 0, 2, 4, {"-3.5", "0"}));
    EXPECT_EQ(DevDetailStore::instance().getDevDetail(kDev).phyRxGains, (QVector<double>{12, -60, -3.5, 0}));

    page.recvBackData(pageReply("getAllPhyMute", kDev, 1, 0, 3, {"1", "0", "1"}));
    EXPECT_TRUE(page.findChild<QAbstractButton*>("mute:out:2")->isChecked());
    EXPECT_FALSE(page.row(channelVoice::PhyOut, 1)->isMuted());
    EXPECT_EQ(DevDetailStore::instance().getDevDetail(kDev).phyTxMutes, (QVector<int>{1, 0, 1}));
    EXPECT_EQ(sent.count(), 1);
}

TEST_F(ChannelVoiceTest, OldFirmwareOffsetFollowsTheStoredVersion)
{
    insertDevice(kDev, "MRD-A16", 2, 0, 0, 0, "3.0.5");
    channelVoice page(kDev);
    const QString levels = pageReply("getAllPhyLevel", kDev, 0, 0, 2, {"-20.6", "-inf"});
    page.recvBackData(levels);
    EXPECT_EQ(page.row(channelVoice::PhyIn, 0)->level(), -17);

    // The dispatcher stores a newer version, then the "getVersion" reply reaches the page.
    DevDetailStore::instance().updateDevDetail(kDev, [](DevDetail_t& d) { d.firmwareVersion = "3.0.7"; });
    page.recvBackData(compact({{"ops", "getVersion"}, {"devId", kDev}, {"result", "succ"}}));
    page.recvBackData(levels);
    EXPECT_EQ(page.row(channelVoice::PhyIn, 0)->level(), -20);
}

TEST_F(ChannelVoiceTest, BatchMetersPageStraightToPort8999)
{
    insertDevice(kDev, "MRD-P64", 2, 1, 3, 1);
    channelVoice page(kDev);
    EXPECT_TRUE(page.pollThread()->target().batch);
    page.recvBackData(compact({{"ops", "getVolumeDbBatchIn"},
                               {"devId", kDev},
                               {"idStart", "0"},
                               {"idNext", "3"},
                               {"arr", QJsonArray{"-5", "-6", "-7"}},
                               {"result", "succ"}}));
    EXPECT_EQ(page.row(channelVoice::PhyIn, 1)->meterValue(), -6);
    EXPECT_EQ(page.row(channelVoice::NetIn, 0)->meterValue(), -7);
    const std::vector<Sent> out = sentOps();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out.at(0).port, 8999);
    EXPECT_EQ(out.at(0).ip, kDevIp);
    EXPECT_EQ(compact(out.at(0).msg), QStringLiteral(R"({"idStart":"3","ops":"getVolumeDbBatchIn"})"));
}

TEST_F(ChannelVoiceTest, LargeDevicesBuildRowsInSlicesThatTakeTheValuesAlreadyRead)
{
    const int phy = channelVoice::kRowsPerStep * 3;
    insertDevice(kDev, "MRD-A16", phy, 0, 0, 0);
    channelVoice page(kDev);
    EXPECT_EQ(page.rowCount(channelVoice::PhyIn), phy);
    EXPECT_NE(page.row(channelVoice::PhyIn, 0), nullptr);
    EXPECT_FALSE(page.rowsComplete());
    EXPECT_EQ(page.row(channelVoice::PhyIn, phy - 1), nullptr);

    // Values of rows not built yet are kept for them.
    page.recvBackData(pageReply("getAllPhyLevel", kDev, 0, phy - 1, phy, {"-7"}));
    page.recvBackData(pageReply("getAllPhyMute", kDev, 0, phy - 1, phy, {"1"}));
    QTRY_VERIFY_WITH_TIMEOUT(page.rowsComplete(), 5000);
    ASSERT_NE(page.row(channelVoice::PhyIn, phy - 1), nullptr);
    EXPECT_EQ(page.row(channelVoice::PhyIn, phy - 1)->meterValue(), -7);
    EXPECT_TRUE(page.row(channelVoice::PhyIn, phy - 1)->isMuted());
    EXPECT_EQ(page.findChild<QLineEdit*>(QStringLiteral("ChannelName:In:%1").arg(phy - 1))->text(),
              QStringLiteral("AnalogIn%1").arg(phy));
}

TEST_F(ChannelVoiceTest, OnlyRowsNearTheViewAreShownAndScrollingShowsTheRest)
{
    const int phy = 256;
    insertDevice(kDev, "MRD-A16", phy, 0, 0, 0);
    channelVoice page(kDev);
    page.resize(900, 500);
    page.show();
    QTRY_VERIFY_WITH_TIMEOUT(page.rowsComplete(), 5000);
    QCoreApplication::processEvents();
    FormChannelVoice* first = page.row(channelVoice::PhyIn, 0);
    FormChannelVoice* last = page.row(channelVoice::PhyIn, phy - 1);
    ASSERT_TRUE(first && last);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(last->isVisible()); // showing the page again must not pay for every row

    auto* scroll = page.findChild<QScrollArea*>(QStringLiteral("input_scroll"));
    ASSERT_NE(scroll, nullptr);
    const int rangeBefore = scroll->verticalScrollBar()->maximum();
    scroll->verticalScrollBar()->setValue(rangeBefore);
    QCoreApplication::processEvents();
    EXPECT_TRUE(last->isVisible());
    EXPECT_FALSE(first->isVisible());
    // Hidden rows keep their place: the list is as long as before.
    EXPECT_EQ(scroll->verticalScrollBar()->maximum(), rangeBefore);
}

TEST_F(ChannelVoiceTest, EachFailedReadOutAsksOnceYesRepeatsItNoStopsTheNagging)
{
    insertDevice(kDev, "MRD-A16", 2, 2, 2, 2);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    const auto fail = [&](const char* ops, int inOrOut) {
        page.recvBackData(pageReply(QLatin1String(ops), kDev, inOrOut, 0, 0, {}, "fail"));
    };
    const auto answer = [&](const QString& about, QMessageBox::StandardButton button) {
        for (QMessageBox* box : questions(page))
            if (box->text().contains(about))
                box->button(button)->click();
    };
    for (const char* ops : {"getAllPhyLevel", "getAllNetLevel", "getAllPhyMute"})
        fail(ops, 0);
    // A second failure of the same read-out asks no second time.
    fail("getAllPhyGain", 1);
    fail("getAllPhyGain", 1);
    QStringList texts;
    for (QMessageBox* box : questions(page))
        texts << box->text();
    texts.sort();
    EXPECT_EQ(texts, (QStringList{"获取物理通道增益失败，是否重新获取？", "获取物理通道电平失败，是否重新获取？",
                                  "获取网络通道电平失败，是否重新获取？", "获取静音失败，是否重新获取？"}));

    answer("物理通道电平", QMessageBox::No);
    QTRY_COMPARE_WITH_TIMEOUT(questions(page).size(), 3, 5000);
    EXPECT_EQ(sent.count(), 0);
    // Polls keep failing four times a second; after "no" they ask no more.
    fail("getAllPhyLevel", 1);
    EXPECT_EQ(questions(page).size(), 3);

    // "Yes" starts the failed read-out over on the side that failed.
    answer("增益", QMessageBox::Yes);
    answer("网络通道电平", QMessageBox::Yes);
    ASSERT_EQ(sent.count(), 2);
    EXPECT_EQ(sent.at(0).at(0).toString(),
              QStringLiteral(R"({"devId":"MRD-0001","idStart":"0","inOrOut":"1","ops":"getAllPhyGain"})"));
    EXPECT_EQ(sent.at(1).at(0).toString(),
              QStringLiteral(R"({"devId":"MRD-0001","idStart":"0","inOrOut":"0","ops":"getAllNetLevel"})"));
    QTRY_COMPARE_WITH_TIMEOUT(questions(page).size(), 1, 5000);
}

TEST_F(ChannelVoiceTest, ShowingStartsPollingAndReadsGainsAndMutesHidingStops)
{
    insertDevice(kDev, "MRD-A16", 2, 0, 1, 1);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    page.show();
    EXPECT_TRUE(page.pollThread()->isRunning());
    // Only the side with physical channels is read.
    const QVector<QJsonObject> gains = messages(sent, "getAllPhyGain");
    ASSERT_EQ(gains.size(), 1);
    EXPECT_EQ(gains.at(0).value("inOrOut").toString(), "0");
    EXPECT_EQ(messages(sent, "getAllPhyMute").size(), 1);

    // The poller's requests arrive through the page, repeatedly.
    QTRY_VERIFY_WITH_TIMEOUT(messages(sent, "getAllNetLevel").size() >= 4, 10000);
    EXPECT_TRUE(messages(sent, "getAllPhyLevel").size() >= 1);

    page.hide();
    EXPECT_FALSE(page.pollThread()->isRunning());
    QCoreApplication::processEvents();
    const int after = sent.count();
    QTest::qWait(600);
    EXPECT_EQ(sent.count(), after);
}

TEST_F(ChannelVoiceTest, GainsAndMutesAreReadAgainWhileShown)
{
    insertDevice(kDev, "MRA-4", 0, 2, 0, 0);
    channelVoice page(kDev);
    page.setRefreshInterval(50);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    page.show();
    ASSERT_EQ(messages(sent, "getAllPhyGain").size(), 1);
    // A handled reply restarts the wait; the re-read comes all the same.
    page.recvBackData(pageReply("getAllPhyGain", kDev, 1, 0, 2, {"1", "2"}));
    QTRY_VERIFY_WITH_TIMEOUT(messages(sent, "getAllPhyGain").size() >= 3, 10000);
    EXPECT_GE(messages(sent, "getAllPhyMute").size(), 2);
    EXPECT_GE(messages(sent, "getInfo").size(), 2);
    for (const QJsonObject& o : messages(sent, "getAllPhyGain"))
        EXPECT_EQ(o.value("inOrOut").toString(), "1");

    page.hide();
    QCoreApplication::processEvents();
    const int after = messages(sent, "getAllPhyGain").size();
    QTest::qWait(300);
    EXPECT_EQ(messages(sent, "getAllPhyGain").size(), after);
}

TEST_F(ChannelVoiceTest, OfflineModeDoesNotPoll)
{
    insertDevice(kDev, "MRD-A16", 2, 0, 0, 0);
    AppState::setMode(AppState::kOfflineMode);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    page.show();
    EXPECT_FALSE(page.pollThread()->isRunning());
    QTest::qWait(300);
    EXPECT_EQ(sent.count(), 0);
    AppState::setMode(10);
}

TEST_F(ChannelVoiceTest, NewChannelCountsRebuildRowsOtherwiseRowsStay)
{
    insertDevice(kDev, "MRD-A16", 2, 0, 0, 0);
    channelVoice page(kDev);
    FormChannelVoice* first = page.row(channelVoice::PhyIn, 0);
    DevDetailStore::instance().updateDevDetail(kDev, [](DevDetail_t& d) { d.phyRxChNames[0] = "Kick"; });
    page.refreshFromStore();
    EXPECT_EQ(page.row(channelVoice::PhyIn, 0), first);
    EXPECT_EQ(first->name(), "Kick");

    DevDetailStore::instance().updateDevDetail(
        kDev, [](DevDetail_t& d) { d.rxChNames = DevDetail_t::numberedNames("NetIn", 3); });
    page.refreshFromStore();
    EXPECT_EQ(page.rowCount(channelVoice::NetIn), 3);
    EXPECT_EQ(page.pollThread()->target().netIn, 3);
    EXPECT_EQ(page.findChild<QLineEdit*>("ChannelName:In:0")->text(), "Kick");
}

} // namespace

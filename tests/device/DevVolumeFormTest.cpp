#include "DevVolumeForm.h"
#include "DeviceTestSupport.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

using namespace devicetest;

namespace {

const QString kA = "MRD-000A";
const QString kB = "MRD-000B";
const QString kC = "MRD-000C";

class DevVolumeFormTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        devices = {insertDevice(kA, "MRD-A16", 4, 2, 8, 8),
                   insertDevice(kB, "MRD-A16", 0, 0, 2, 2, "3.0.5", kDevIp + 1)};
        form.stopPolling();
    }

    QVector<DevDetail_t> devices;
    DevVolumeForm form;
};

TEST_F(DevVolumeFormTest, ListsDevicesWithTheFiveColumns)
{
    QTableWidget* t = form.table();
    ASSERT_EQ(t->columnCount(), 5);
    EXPECT_EQ(t->horizontalHeaderItem(0)->text(), "设备名称");
    EXPECT_EQ(t->horizontalHeaderItem(4)->text(), "网络输出(dBFS)");
    form.setDevices(devices);
    EXPECT_EQ(form.devIds(), (QStringList{kA, kB}));
    EXPECT_EQ(form.cellText(kA, DevVolumeForm::NameColumn), "Dev MRD-000A");
    EXPECT_EQ(form.cellText(kB, DevVolumeForm::PhyInColumn), "--");
}

TEST_F(DevVolumeFormTest, PollingRoundAsksEachSideThatHasChannels)
{
    form.setDevices(devices);
    QSignalSpy sent(&form, &DevVolumeForm::sendChangeData);
    form.slot_updateVolume();
    QStringList got;
    for (const auto& args : sent)
        got << args.at(0).toString();
    EXPECT_EQ(got, (QStringList{
                       QStringLiteral(R"({"devId":"MRD-000A","idStart":"0","inOrOut":"0","ops":"getAllPhyLevel"})"),
                       QStringLiteral(R"({"devId":"MRD-000A","idStart":"0","inOrOut":"1","ops":"getAllPhyLevel"})"),
                       QStringLiteral(R"({"devId":"MRD-000A","idStart":"0","inOrOut":"0","ops":"getAllNetLevel"})"),
                       QStringLiteral(R"({"devId":"MRD-000A","idStart":"0","inOrOut":"1","ops":"getAllNetLevel"})"),
                       QStringLiteral(R"({"devId":"MRD-000B","idStart":"0","inOrOut":"0","ops":"getAllNetLevel"})"),
                       QStringLiteral(R"({"devId":"MRD-000B","idStart":"0","inOrOut":"1","ops":"getAllNetLevel"})")}));
}

TEST_F(DevVolumeFormTest, PollsOnItsTimerUntilStopped)
{
    form.setDevices(devices);
    QSignalSpy sent(&form, &DevVolumeForm::sendChangeData);
    form.startPolling();
    EXPECT_TRUE(form.isPolling());
    QTRY_VERIFY_WITH_TIMEOUT(sent.count() >= 6, 10000);
    form.stopPolling();
    const int after = sent.count();
    QTest::qWait(1300);
    EXPECT_EQ(sent.count(), after);
}

TEST_F(DevVolumeFormTest, SuccessfulReplyShowsTheLoudestChannel)
{
    form.setDevices(devices);
    form.recvBackData(pageReply("getAllPhyLevel", kA, 1, 0, 2, {"-40.5", "-12.9"}));
    EXPECT_EQ(form.cellText(kA, DevVolumeForm::PhyOutColumn), "-12");
    form.recvBackData(pageReply("getAllNetLevel", kA, 0, 0, 8, {"-inf", "-inf"}));
    EXPECT_EQ(form.cellText(kA, DevVolumeForm::NetInColumn), "-90");
    form.recvBackData(pageReply("getAllNetLevel", kA, 1, 0, 8, {"4", "-3"}));
    EXPECT_EQ(form.cellText(kA, DevVolumeForm::NetOutColumn), "0");
    // Old firmware reads 3 dB higher.
    form.recvBackData(pageReply("getAllNetLevel", kB, 1, 0, 2, {"-20", "-30"}));
    EXPECT_EQ(form.cellText(kB, DevVolumeForm::NetOutColumn), "-17");

    // Failures, other commands and unknown devices change nothing.
    form.recvBackData(pageReply("getAllPhyLevel", kA, 1, 0, 2, {"-1"}, "fail"));
    form.recvBackData(pageReply("getAllPhyGain", kA, 1, 0, 2, {"-1"}));
    form.recvBackData(pageReply("getAllPhyLevel", "MRD-0FF", 1, 0, 2, {"-1"}));
    form.recvBackData("closeDev");
    EXPECT_EQ(form.cellText(kA, DevVolumeForm::PhyOutColumn), "-12");
    EXPECT_EQ(form.cellText(kA, DevVolumeForm::PhyInColumn), "--");
}

TEST_F(DevVolumeFormTest, SameListKeepsRowsChangedListKeepsLevels)
{
    form.setDevices(devices);
    // kB runs old firmware: 3 dB are added.
    form.recvBackData(pageReply("getAllNetLevel", kB, 0, 0, 2, {"-36"}));
    QTableWidgetItem* nameItem = form.table()->item(form.rowOf(kA), DevVolumeForm::NameColumn);

    devices[0].name = "Renamed";
    form.setDevices(devices);
    EXPECT_EQ(form.table()->item(form.rowOf(kA), DevVolumeForm::NameColumn), nameItem);
    EXPECT_EQ(nameItem->text(), "Renamed");
    EXPECT_EQ(form.cellText(kB, DevVolumeForm::NetInColumn), "-33");

    const DevDetail_t c = insertDevice(kC, "MRD-A16", 1, 1, 1, 1, "3.0.6", kDevIp + 2);
    form.setDevices({c, devices.at(1)});
    EXPECT_EQ(form.devIds(), (QStringList{kC, kB}));
    EXPECT_EQ(form.rowOf(kA), -1);
    EXPECT_EQ(form.cellText(kB, DevVolumeForm::NetInColumn), "-33");
    EXPECT_EQ(form.cellText(kC, DevVolumeForm::NetInColumn), "--");
    form.recvBackData(pageReply("getAllNetLevel", kB, 0, 0, 2, {"-47"}));
    EXPECT_EQ(form.cellText(kB, DevVolumeForm::NetInColumn), "-44");
}

TEST_F(DevVolumeFormTest, DoubleClickAsksForTheDeviceWindow)
{
    form.setDevices(devices);
    form.resize(700, 300);
    form.show();
    QSignalSpy open(&form, &DevVolumeForm::signal_showDevWindow);
    QTableWidget* t = form.table();
    const QRect cell = t->visualItemRect(t->item(form.rowOf(kB), DevVolumeForm::NetInColumn));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(t->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    ASSERT_EQ(open.count(), 1);
    EXPECT_EQ(open.at(0).at(0).toString(), kB);
}

} // namespace

#include "CDeviceDspData.h"
#include "DevDspDialog.h"
#include "DevWin.h"
#include "DeviceTestSupport.h"
#include "DeviceWindow.h"
#include "OfflineData.h"
#include "OfflineDeviceBridge.h"
#include "OfflineDeviceType.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

using namespace devicetest;

namespace {

// A design device's window: everything it shows comes from the design, every edit goes back into it, and no
// datagram or command message leaves.
class OfflineSettingsTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        AppState::setChinese(false);
        AppState::setMode(AppState::kOfflineMode);
    }
    void TearDown() override
    {
        delete frame.data();
        DeviceTest::TearDown();
    }

    /// Adds a device of `model` (two network channels each way) to the design and opens its window.
    void open(const QString& model = "MRD-A16")
    {
        OfflineDeviceType t;
        t.devModel = model;
        t.version = "3.1.2-20260101";
        t.chNumRx = 2;
        t.chNumTx = 2;
        t.phyChNumRx = 2;
        t.phyChNumTx = 2;
        t.sampleRateList = QStringList{"48000", "96000"};
        t.packetTimeList = QStringList{"1", "0.5", "0.25", "0.125"};
        ASSERT_TRUE(design.addDevice(OfflineDevice::fromType(t, devId, "Design One")));
        frame = new DevWin(devId, nullptr, &design);
        page = frame->deviceWindow();
        page->setAsker([this](const QString& q) {
            questions.append(q);
            return answer;
        });
        relayed.reset(new QSignalSpy(frame.data(), &DevWin::sendDataSignal));
        tips.reset(new QSignalSpy(page, &DeviceWindow::signal_showTips));
        QCoreApplication::processEvents();
    }
    template <typename T> T* child(const char* name) const
    {
        T* w = page->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    OfflineDevDetail stored() const { return design.device(devId).value().detail(); }
    void choose(const char* combo, const QString& itemText)
    {
        auto* c = child<QComboBox>(combo);
        const int i = c->findText(itemText);
        ASSERT_GE(i, 0) << qPrintable(itemText);
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    void expectNothingLeft()
    {
        QCoreApplication::processEvents();
        EXPECT_EQ(relayed->count(), 0) << "no command message offline";
        EXPECT_TRUE(sentOps().empty()) << "no datagram offline";
    }

    OfflineData design;
    const QString devId = "OFF-MRD-A16-1";
    QPointer<DevWin> frame;
    DeviceWindow* page = nullptr;
    bool answer = true;
    QStringList questions;
    std::unique_ptr<QSignalSpy> relayed;
    std::unique_ptr<QSignalSpy> tips;
};

TEST_F(OfflineSettingsTest, ShowsTheDesignDevice)
{
    open();
    EXPECT_EQ(frame->titleText(), "设备(Design One) 离线模式");
    EXPECT_EQ(child<QLineEdit>("devName_le")->text(), "Design One");
    auto* rates = child<QComboBox>("samplerate_comb");
    EXPECT_EQ(rates->currentText(), "48000");
    EXPECT_EQ(rates->count(), 2) << "the type's rates";
    EXPECT_EQ(child<QComboBox>("PacketTimeDiv_comb")->currentText(), "0.25 ms");
    EXPECT_EQ(child<QComboBox>("PacketTimeDiv_comb")->count(), 4);
    EXPECT_EQ(child<QComboBox>("netdelay_comb")->currentText(), "5 ms");
    EXPECT_EQ(child<QComboBox>("combo_sampleByteNum")->currentText(), "24 Bits");
    auto* table = child<QTableWidget>("channel_table");
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(0, 0)->text(), "NetIn1");
    EXPECT_EQ(table->item(3, 0)->text(), "NetOut2");
    for (const char* b : {"pb_manage", "reboot_bt"})
        EXPECT_FALSE(child<QPushButton>(b)->isEnabled()) << b;

    // A real device with the same devId answers someone else; the design's window stays as it was.
    frame->recvBackData(compact({{"ops", "setDevName"}, {"devId", devId}, {"result", "succ"}, {"name", "Real"}}));
    frame->recvBackData(compact({{"ops", "setDelayUs"}, {"devId", devId}, {"result", "succ"}}));
    EXPECT_EQ(child<QLineEdit>("devName_le")->text(), "Design One");
    EXPECT_EQ(frame->titleText(), "设备(Design One) 离线模式");
    EXPECT_EQ(tips->count(), 0);
    expectNothingLeft();
}

TEST_F(OfflineSettingsTest, RenamesChangeTheDesignAndSendNothing)
{
    const struct
    {
        const char* what;
        int row; ///< channel table row, or -1 for the device name
        const char* text;
        const char* expected; ///< stored name afterwards
        const char* tip;
    } cases[] = {
        {"device", -1, "  Stage Box ", "Stage Box", "Set successfully"},
        {"device, special character", -1, "Box#1", "Design One", nullptr},
        {"receive channel", 1, "Mic 2", "Mic 2", "Set successfully"},
        {"transmit channel", 2, "Mix L", "Mix L", "Set successfully"},
        {"channel, too long", 0, "A name that is far too long for any channel", "NetIn1", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        if (c.row < 0) {
            auto* edit = child<QLineEdit>("devName_le");
            edit->setText(c.text);
            emit edit->editingFinished();
            EXPECT_EQ(stored().devName, c.expected);
            EXPECT_EQ(edit->text(), c.expected);
            EXPECT_EQ(frame->titleText(), QString("设备(%1) 离线模式").arg(c.expected));
        } else {
            auto* table = child<QTableWidget>("channel_table");
            table->item(c.row, 0)->setText(c.text);
            const QStringList& names =
                c.row < 2 ? stored().channelData.rxChNameList : stored().channelData.txChNameList;
            EXPECT_EQ(names.at(c.row % 2), c.expected);
            EXPECT_EQ(table->item(c.row, 0)->text(), c.expected);
        }
        if (c.tip)
            EXPECT_EQ(lastText(*tips), c.tip);
        else
            EXPECT_NE(lastText(*tips), "Set successfully");
        expectNothingLeft();
        delete frame.data();
        ASSERT_TRUE(design.removeDevice(devId));
    }
}

TEST_F(OfflineSettingsTest, SettingsAreStoredInTheDesign)
{
    const struct
    {
        const char* what;
        const char* delayFirst; ///< a delay chosen before, or null
        const char* combo;
        const char* choice;
        bool answer;
        int rate;
        double packetMs;
        int frames;
        double delayMs;
        int byteNum;
    } cases[] = {
        {"sample rate", nullptr, "samplerate_comb", "96000", true, 96000, 0.25, 24, 5, 3},
        {"sample rate declined", nullptr, "samplerate_comb", "96000", false, 48000, 0.25, 12, 5, 3},
        {"packet time", nullptr, "PacketTimeDiv_comb", "1 ms", true, 48000, 1, 48, 5, 3},
        {"packet time over a quarter of the delay", "1 ms", "PacketTimeDiv_comb", "0.5 ms", true, 48000, 0.25, 12, 1,
         3},
        {"delay", nullptr, "netdelay_comb", "2 ms", true, 48000, 0.25, 12, 2, 3},
        {"delay under four packets", nullptr, "netdelay_comb", "0.5 ms", true, 48000, 0.25, 12, 5, 3},
        {"bit depth", nullptr, "combo_sampleByteNum", "16 Bits", true, 48000, 0.25, 12, 5, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        if (c.delayFirst)
            choose("netdelay_comb", c.delayFirst);
        answer = c.answer;
        choose(c.combo, c.choice);
        const OfflineDevDetail d = stored();
        EXPECT_EQ(d.sampleRate, c.rate);
        EXPECT_DOUBLE_EQ(d.packetTime, c.packetMs);
        EXPECT_EQ(d.pFrameNum, c.frames);
        EXPECT_DOUBLE_EQ(d.delayMs, c.delayMs);
        EXPECT_EQ(d.sampleByteNum, c.byteNum);
        EXPECT_EQ(d.sampleBitDepth, c.byteNum * 8);
        expectNothingLeft();
        delete frame.data();
        ASSERT_TRUE(design.removeDevice(devId));
    }
}

TEST_F(OfflineSettingsTest, PrioritiesAreStoredInTheDesign)
{
    open();
    auto* ptp = child<QSpinBox>("ptpDscp_sb");
    auto* stream = child<QSpinBox>("dscp_sb");
    EXPECT_EQ(ptp->value(), 46);
    EXPECT_EQ(stream->value(), 34);
    const struct
    {
        QSpinBox* box;
        int value;
        int ptpDscp;
        int dscp;
    } cases[] = {{ptp, 40, 40, 34}, {stream, 63, 40, 63}, {stream, 99, 40, 63}, {ptp, 0, 0, 63}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        c.box->setValue(c.value);
        EXPECT_EQ(stored().ptpDscp, c.ptpDscp);
        EXPECT_EQ(stored().dscp, c.dscp);
    }
    EXPECT_EQ(lastText(*tips), "Set successfully");
    expectNothingLeft();
}

TEST_F(OfflineSettingsTest, NewRateReloadsTheProcessorDefaultAtThatRate)
{
    open("MRD-M8");
    ASSERT_TRUE(design.device(devId)->hasDsp()) << "the model table lists MRD-M8 with a processor";
    choose("samplerate_comb", "96000");
    ASSERT_EQ(questions.size(), 1);
    const OfflineDevice dev = design.device(devId).value();
    ASSERT_EQ(dev.dspConfigs().size(), 1u);
    EXPECT_EQ(dev.dspConfigs().front().data->sampleRate(), 96000);
    EXPECT_EQ(dev.dspConfigs().front().data->inputs().size(), 4);
    expectNothingLeft();
}

TEST_F(OfflineSettingsTest, FollowsEditsMadeElsewhereAndClosesWhenTheDeviceGoes)
{
    open();
    QSignalSpy closed(frame.data(), &DevWin::devWinClosed);
    ASSERT_TRUE(design.updateDevice(devId, [](OfflineDevice& d) {
        d.detail().devName = "Renamed";
        d.detail().channelData.txChNameList[0] = "Out A";
        d.detail().delayMs = 10;
        d.detail().dscp = 12;
    }));
    EXPECT_EQ(child<QLineEdit>("devName_le")->text(), "Renamed");
    EXPECT_EQ(frame->titleText(), "设备(Renamed) 离线模式");
    EXPECT_EQ(child<QTableWidget>("channel_table")->item(2, 0)->text(), "Out A");
    EXPECT_EQ(child<QComboBox>("netdelay_comb")->currentText(), "10 ms");
    EXPECT_EQ(child<QSpinBox>("dscp_sb")->value(), 12);

    ASSERT_TRUE(design.removeDevice(devId));
    EXPECT_EQ(closed.count(), 1);
    expectNothingLeft();
}

TEST_F(OfflineSettingsTest, ProcessorButtonOpensTheDesignConfiguration)
{
    const struct
    {
        const char* model;
        bool opens;
    } cases[] = {{"MRD-M8", true}, {"MRD-A16", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        open(c.model);
        for (int click = 0; click < 2; ++click)
            child<QPushButton>("dsp_bt")->click();
        const QList<DevDspDialog*> dialogs = page->findChildren<DevDspDialog*>();
        if (c.opens) {
            ASSERT_EQ(dialogs.size(), 1) << "a second click raises the open dialog";
            EXPECT_TRUE(dialogs.front()->isOfflineUi());
        } else {
            EXPECT_TRUE(dialogs.isEmpty());
            EXPECT_EQ(lastText(*tips), "暂不可用");
        }
        expectNothingLeft();
        delete frame.data();
        ASSERT_TRUE(design.removeDevice(devId));
    }
}

TEST(OfflineDeviceBridgeTest, PacketTimeDivisors)
{
    const struct
    {
        double ms;
        const char* divisor;
    } cases[] = {{0.125, "8000"}, {0.25, "4000"}, {1, "1000"}, {4, "250"}, {0.3, ""}, {0, ""}, {-1, ""}, {5000, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(OfflineDeviceBridge::divisorOf(c.ms), c.divisor) << c.ms;
}

} // namespace

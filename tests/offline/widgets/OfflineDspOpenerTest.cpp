// The processor dialog opened on a design device: what it opens, where its save lands, and when it closes.
#include "OfflineDspOpener.h"

#include "CDeviceDspData.h"
#include "CInputChannel.h"
#include "DevDspDialog.h"
#include "DspDiagramForm.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"

#include <QApplication>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

void widgetApp()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-test";
        static char* argv[] = {name, nullptr};
        // Never destroyed: tearing it down among the statics at exit crashes in the chart views' cleanup.
        new QApplication(argc, argv);
    }
}

/// Adds a device of `model` (4 + 4 channels each way, at `rate`) and returns its devId.
QString addDevice(OfflineData& design, const QString& model, int rate = 48000)
{
    OfflineDeviceType t;
    t.devModel = model;
    t.chNumRx = t.chNumTx = 4;
    t.phyChNumRx = t.phyChNumTx = 4;
    const QString id = design.newDeviceId(model);
    auto dev = OfflineDevice::fromType(t, id, QStringLiteral("Design ") + model);
    dev->detail().sampleRate = rate;
    EXPECT_TRUE(design.addDevice(std::move(dev)));
    return id;
}

int inputBlocks(const OfflineDevice& dev, int config)
{
    return dev.dspConfigs()[size_t(config)].data->input(0)->blocks().size();
}

class OfflineDspOpenerTest : public ::testing::Test
{
protected:
    OfflineDspOpenerTest() { widgetApp(); }
    OfflineData design;
};

TEST_F(OfflineDspOpenerTest, SaveStoresTheCurrentEntryOnceWithTheDevicesRate)
{
    const QString id = addDevice(design, QStringLiteral("MRD-M16"), 96000);
    ASSERT_EQ(design.device(id)->dspConfigs().size(), 1u); // the default configuration of a new device
    QPointer<DevDspDialog> dialog = OfflineDspOpener::open(design, id);
    ASSERT_TRUE(dialog);
    DspDiagramForm* diagram = dialog->diagramForm();
    diagram->setAsker([](const QString&) { return true; });

    // Two saves: the first appends the current entry, the second replaces it.
    const int kinds[] = {CBaseItem::KindLimit, CBaseItem::KindDelay};
    for (int blocks = 1; blocks <= 2; ++blocks) {
        ASSERT_TRUE(diagram->addBlock(kinds[blocks - 1], true, 0, 0));
        diagram->on_pb_save_clicked();
        const OfflineDevice dev = *design.device(id);
        ASSERT_EQ(dev.dspConfigs().size(), 2u) << "after save " << blocks;
        EXPECT_EQ(dev.dspConfigs()[1].name, OfflineDspOpener::currentName());
        EXPECT_EQ(inputBlocks(dev, 1), blocks);
        EXPECT_EQ(dev.dspConfigs()[1].data->sampleRate(), 96000);
        EXPECT_EQ(inputBlocks(dev, 0), 0) << "the default entry stays as it was";
        EXPECT_EQ(OfflineDspOpener::currentIndex(dev), 1);
    }
    dialog->close();

    // Opened again, the dialog shows what was saved; unsaved edits never reached the design.
    dialog = OfflineDspOpener::open(design, id);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->dspData()->input(0)->blocks().size(), 2);
    dialog->diagramForm()->addBlock(CBaseItem::KindDelay, true, 1, 0);
    EXPECT_EQ(design.device(id)->dspConfigs()[1].data->input(1)->blocks().size(), 0);
    dialog->close();
}

TEST_F(OfflineDspOpenerTest, OpensOnlyProcessorDevicesOfTheDesign)
{
    const QString plain = addDevice(design, QStringLiteral("MRD-A16"));
    for (const QString& id : {plain, QStringLiteral("OFF-NONE-1")}) {
        EXPECT_EQ(OfflineDspOpener::open(design, id), nullptr) << id.toStdString();
        CDeviceDspData config;
        EXPECT_FALSE(OfflineDspOpener::store(design, id, config)) << id.toStdString();
    }
}

TEST_F(OfflineDspOpenerTest, ADeviceWithoutConfigurationsStartsFromTheDefault)
{
    const QString id = addDevice(design, QStringLiteral("MRD-M16"));
    design.updateDevice(id, [](OfflineDevice& d) { d.dspConfigs().clear(); });
    QPointer<DevDspDialog> dialog = OfflineDspOpener::open(design, id);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->dspData()->inputs().size(), 8);
    EXPECT_EQ(dialog->dspData()->outputs().size(), 8);
    dialog->close();
}

TEST_F(OfflineDspOpenerTest, TheDialogClosesWhenItsDeviceLeavesTheDesign)
{
    const QString id = addDevice(design, QStringLiteral("MRD-M16"));
    const QString other = addDevice(design, QStringLiteral("MRD-M16"));
    QPointer<DevDspDialog> dialog = OfflineDspOpener::open(design, id);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(design.removeDevice(other));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog) << "another device's removal leaves it open";
    ASSERT_TRUE(design.removeDevice(id));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog);
}

} // namespace

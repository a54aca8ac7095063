// Not a test: renders the five dynamics editors with realistic settings and live meter values for a person to
// look at.
#include "DspWidgetTestSupport.h"

#include "CDuckerItem.h"
#include "CDynamicsItem.h"
#include "CLimitItem.h"
#include "CNoisegateItme.h"
#include "DspBlockBaseForm.h"
#include "DspEditorFactory.h"

#include <QDir>

#include <memory>

using namespace dsptest;

namespace {

void shoot(CDeviceDspData& data, int blockIndex, const QString& title, const char* level, const char* gain,
           const QString& file)
{
    std::unique_ptr<DspBlockBaseForm> editor(DspEditorFactory::create(&data, true, 0, blockIndex));
    if (!editor) {
        qWarning("no editor for block %d", blockIndex);
        return;
    }
    editor->setWindowTitle(title);
    editor->recvMsg(reply(QStringLiteral("getVolumeDb"), true,
                          {{"inArr", QJsonArray{QLatin1String(level), "-30"}}, {"outArr", QJsonArray{"-20"}}}));
    editor->recvMsg(reply(QStringLiteral("getBorderProcStatus"), true,
                          {{"blockFlag", editor->blockFlag()}, {"obj", QJsonObject{{"gain", QLatin1String(gain)}}}}));
    editor->show();
    QApplication::processEvents();
    if (!editor->grab().save(QStringLiteral(MERIDANE_SCREENSHOT_DIR) + file))
        qWarning("could not save %s", qPrintable(file));
}

} // namespace

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    resetAll();
    AppState::setChinese(true);
    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(4, 4, 48000), QStringLiteral("3.2.0"));
    addBlocks(data, true, 0,
              {CBaseItem::KindCompress, CBaseItem::KindExpand, CBaseItem::KindLimit, CBaseItem::KindNoiseGate,
               CBaseItem::KindDucker});
    CChainChannel* ch = data.input(0);
    auto* comp = static_cast<CDynamicsItem*>(ch->block(0));
    comp->setTrigDb(-24);
    comp->setRatio(4);
    comp->setAttackMs(20);
    comp->setReleaseMs(300);
    auto* exp = static_cast<CDynamicsItem*>(ch->block(1));
    exp->setTrigDb(-50);
    exp->setRatio(2);
    exp->setAttackMs(5);
    exp->setReleaseMs(500);
    static_cast<CLimitItem*>(ch->block(2))->setLimitDb(-6);
    auto* gate = static_cast<CNoisegateItme*>(ch->block(3));
    gate->setTrigDb(-65);
    gate->setOpenMs(5);
    gate->setCloseMs(150);
    auto* duck = static_cast<CDuckerItem*>(ch->block(4));
    duck->setTrigDb(-40);
    duck->setDuckDb(-20);
    duck->setAttackMs(10);
    duck->setReleaseMs(800);
    duck->setHoldMs(1500);
    duck->setRefCh(1);

    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    shoot(data, 0, QStringLiteral("AnalogIn1-Compress"), "-12.4", "0.5", QStringLiteral("/dsp_compress.png"));
    shoot(data, 1, QStringLiteral("AnalogIn1-Expand"), "-55", "0.25", QStringLiteral("/dsp_expand.png"));
    shoot(data, 2, QStringLiteral("AnalogIn1-Limit"), "-3.2", "0.7", QStringLiteral("/dsp_limit.png"));
    shoot(data, 3, QStringLiteral("AnalogIn1-NoiseGate"), "-70", "0.001", QStringLiteral("/dsp_noisegate.png"));
    shoot(data, 4, QStringLiteral("AnalogIn1-Ducker"), "-18", "0.1", QStringLiteral("/dsp_ducker.png"));
    return 0;
}

// Not a test: renders the echo-canceller, automixer and channel echo-canceller editors with realistic settings and
// live member states for a person to look at.
#include "DspWidgetTestSupport.h"

#include "AutomixerMask.h"
#include "DspAecForm.h"
#include "DspAutomixForm.h"
#include "DspChAecForm.h"

#include <QDir>

using namespace dsptest;

namespace {

void save(QWidget* w, const QString& file)
{
    w->show();
    QApplication::processEvents();
    if (!w->grab().save(QStringLiteral(MERIDANE_SCREENSHOT_DIR) + file))
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
    data.parse(DspDefaultConfig::reply(16, 8, 48000), QStringLiteral("3.2.0"));
    data.info().chNumIn = 16;
    data.info().chNumOut = 8;
    data.setExtraInCount(2);

    auto* mixer = new DspAutomixerChannel;
    const int priorities[] = {5, 3, 0, 8};
    for (int k = 0; k < 4; ++k) {
        AutomixerMask m = AutomixerMask::forChannel(k);
        m.priority = priorities[k];
        m.gain = -3 * k;
        m.alwaysOn = k == 0;
        m.postMute = k == 3;
        m.chPost = k == 1;
        mixer->maskArr().append(m.compose());
    }
    data.automixerChannels().append(mixer);
    auto* aec = new DspAecChannel(16);
    aec->setHasAec(true);
    aec->setAecLevel(2);
    aec->setHasAns(true);
    aec->nearArr()[0] = 1;
    aec->nearArr()[1] = 1;
    aec->farArr()[14] = 1;
    data.aecChannels().append(aec);
    data.fitMatrix();
    addBlocks(data, true, 2, {CBaseItem::KindChAec});

    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    DspAecForm aecForm(&data, 0);
    aecForm.setAttribute(Qt::WA_DeleteOnClose, false);
    save(&aecForm, QStringLiteral("/dsp_aec.png"));

    DspAutomixForm mixForm(&data, 0);
    mixForm.setAttribute(Qt::WA_DeleteOnClose, false);
    mixForm.setInputNames({"Podium", "Chair", "Guest", "Lectern"});
    const QString flag = mixForm.blockFlag();
    mixForm.recvMsg(reply("getAutomixActive", true, {{"blockFlag", flag}, {"arr", QJsonArray{"1", "1", "0", "0"}}}));
    mixForm.recvMsg(reply("getAutomixVolumeDbPost", true,
                          {{"blockFlag", flag}, {"arr", QJsonArray{"-12.5", "-20", "-48", "-inf"}}}));
    save(&mixForm, QStringLiteral("/dsp_automix.png"));

    DspChAecForm chAec(&data, true, 2, 0);
    chAec.setAttribute(Qt::WA_DeleteOnClose, false);
    chAec.setWindowTitle(QStringLiteral("AnalogIn3-AEC"));
    chAec.recvMsg(reply("getVolumeDb", true, {{"inArr", QJsonArray{"-40", "-40", "-18"}}, {"outArr", QJsonArray{}}}));
    save(&chAec, QStringLiteral("/dsp_chaec.png"));
    return 0;
}

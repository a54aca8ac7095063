// Not a test: renders the FIR (designed band-pass and imported coefficients), delay, feedback eliminator and
// signal generator editors for a person to look at.
#include "DspWidgetTestSupport.h"

#include "CDelayItem.h"
#include "CFirItem.h"
#include "CSignalGen.h"
#include "DspDelayBlockForm.h"
#include "DspFbeForm.h"
#include "DspFirForm.h"
#include "DspSignalGenForm.h"
#include "FirCoefficientReader.h"
#include "FirDesign.h"

#include <QDir>

#include <memory>

using namespace dsptest;

namespace {

void shoot(DspBlockBaseForm* editor, const QString& title, const QString& file)
{
    std::unique_ptr<DspBlockBaseForm> owned(editor);
    if (!title.isEmpty())
        editor->setWindowTitle(title);
    editor->recvMsg(reply(QStringLiteral("getVolumeDb"), true,
                          {{"inArr", QJsonArray{"-24.6", "-30"}}, {"outArr", QJsonArray{"-20"}}}));
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
    addBlocks(
        data, true, 0,
        {CBaseItem::KindFir, CBaseItem::KindFir, CBaseItem::KindDelay, CBaseItem::KindFbe, CBaseItem::KindSignalGen});
    CChainChannel* ch = data.input(0);
    auto* band = static_cast<CFirItem*>(ch->block(0));
    band->setFirType(CFirItem::BandPass);
    band->setWinType(FirDesign::Kaiser);
    band->setAttDb(60);
    band->setTaps(255);
    band->setFreq0(300);
    band->setFreq1(3400);
    // Imported coefficients: a short Hamming low-pass, as a file exported from a design tool would hold.
    auto* custom = static_cast<CFirItem*>(ch->block(1));
    custom->setFirType(CFirItem::Custom);
    const QVector<double> coeffs = FirDesign::design(0, FirDesign::Hamming, 63, 0, 2000, 21);
    custom->setArr(FirCoefficientReader::toJsonArray(coeffs));
    custom->setTaps(coeffs.size());
    static_cast<CDelayItem*>(ch->block(2))->setDelayNum(480);
    auto* gen = static_cast<CSignalGen*>(ch->block(4));
    gen->setMode(1);
    gen->setGainDb(-18);

    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    shoot(new DspFirForm(&data, true, 0, 0), QStringLiteral("AnalogIn1-Fir"), QStringLiteral("/dsp_fir.png"));
    shoot(new DspFirForm(&data, true, 0, 1), QStringLiteral("AnalogIn1-Fir"), QStringLiteral("/dsp_fir_custom.png"));
    shoot(new DspDelayBlockForm(&data, true, 0, 2), QStringLiteral("AnalogIn1-Delay"),
          QStringLiteral("/dsp_delay.png"));
    shoot(new DspFbeForm(&data, true, 0, 3), QString(), QStringLiteral("/dsp_fbe.png"));
    shoot(new DspSignalGenForm(&data, true, 0, 4), QStringLiteral("AnalogIn1-SignalGen"),
          QStringLiteral("/dsp_signalgen.png"));
    return 0;
}

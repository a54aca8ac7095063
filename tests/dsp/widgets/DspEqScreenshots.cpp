// Not a test: renders the equaliser editors with a realistic channel for a person to look at.
#include "DspWidgetTestSupport.h"

#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "DspEqHlpBlockForm.h"
#include "DspEqSingleForm.h"

#include <QAbstractButton>
#include <QDir>

using namespace dsptest;

namespace {

void save(QWidget* w, const char* file)
{
    w->show();
    QApplication::processEvents();
    const QString path = QStringLiteral(MERIDANE_SCREENSHOT_DIR) + QLatin1Char('/') + QLatin1String(file);
    if (!w->grab().save(path))
        qWarning("could not write %s", qPrintable(path));
}

} // namespace

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    resetAll();
    AppState::setChinese(true);
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));

    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(4, 4, 48000), QStringLiteral("3.2.0"));
    addBlocks(data, true, 0, {CBaseItem::KindHlpf, CBaseItem::KindEq, CBaseItem::KindHlpf});
    auto* hpf = static_cast<CHlpfItem*>(data.input(0)->block(0));
    hpf->setIsHpf(true);
    hpf->setType(2);
    hpf->setOrder(4);
    hpf->setFreq0(80);
    auto* lpf = static_cast<CHlpfItem*>(data.input(0)->block(2));
    lpf->setIsHpf(false);
    lpf->setType(0);
    lpf->setOrder(2);
    lpf->setFreq0(16000);
    auto* eq = static_cast<CEqBlockItem*>(data.input(0)->block(1));
    struct Band
    {
        int type;
        double hz, db, q;
    };
    const Band bands[] = {{1, 120, 4, 1},     {0, 250, -3, 0.7}, {0, 400, -5.5, 0.5}, {0, 800, 0, 1},
                          {0, 1200, -2, 1.5}, {0, 2500, 2, 1},   {0, 3500, -4, 0.3},  {0, 6000, 0, 1},
                          {0, 8000, 1.5, 1},  {2, 10000, -3, 1}};
    for (int i = 0; i < eq->bandCount() && i < 10; ++i) {
        CEqItem* b = eq->band(i);
        b->setType(bands[i].type);
        b->setFreq0(bands[i].hz);
        b->setDbGain(bands[i].db);
        b->setQBwS(bands[i].q);
    }
    eq->band(7)->setBypass(true);

    DspEqHlpBlockForm form(&data, true, 0, 1);
    form.setWindowTitle(QStringLiteral("AnalogIn1-EQ & Xover"));
    save(&form, "dsp_eq_editor.png");
    form.findChild<QAbstractButton*>(QStringLiteral("pb_phase"))->click();
    form.resize(form.width(), form.height() + 220);
    save(&form, "dsp_eq_phase.png");

    DspEqSingleForm single(&data, true, 0, 1, 2);
    save(&single, "dsp_eq_single.png");
    return 0;
}

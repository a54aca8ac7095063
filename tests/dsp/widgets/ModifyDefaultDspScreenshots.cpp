// Not a test: renders the factory configuration dialog twice, for a person to look at: the advanced commands as
// typed, and the preview of the inputs and outputs they build.
#include "DspWidgetTestSupport.h"

#include "ModifyDefaultDspDialog.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QRadioButton>

using namespace dsptest;

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    resetAll();
    AppState::setChinese(true);
    TestDevice device;
    device.phyIn = device.phyOut = 4;
    device.netIn = device.netOut = 4;
    addDevice(device);
    ModifyDefaultDspDialog dialog(device.devId);
    dialog.findChild<QPlainTextEdit*>(QStringLiteral("te_cmd"))
        ->setPlainText(QStringLiteral("comm#in#1-4#(-6,0,0,0)\n"
                                      "proc#in#1-4#hpf,eq(8),compress\n"
                                      "proc#in#5-8#noisegate,eq\n"
                                      "proc#out#*#eq,limit\n"
                                      "matrix#[1-4;5-8]#[1-2;3-8]#-3\n"
                                      "matrix#8#1\n"
                                      "gainShared#1-2\n"
                                      "core#in#1-4#0\n"
                                      "core#in#5-8#1\n"
                                      "core#out#*#1"));
    dialog.resize(1100, 640);
    dialog.show();
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    const auto save = [&dialog](const char* name) {
        QApplication::processEvents();
        const QString file = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/") + QLatin1String(name);
        if (!dialog.grab().save(file))
            qWarning("could not save %s", qPrintable(file));
    };
    save("dsp_default_commands.png");
    dialog.findChild<QRadioButton*>(QStringLiteral("rb_preview"))->setChecked(true);
    save("dsp_default_preview.png");
    return 0;
}

// Not a test: renders the microphone dialog, for a person to look at, with the settings a processor reported.
#include "DspWidgetTestSupport.h"

#include "MicControlDialog.h"

#include <QDir>

using namespace dsptest;

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    AppState::setChinese(true);
    MicControlDialog dialog;
    dialog.recvMicMsg(QStringLiteral("IEr13\r\nIFr12\r\nIAr11\r\nINr14\r\nITr30\r\n"
                                     "IGr018\r\nIGr1-6\r\nIGr2-3\r\nIGr30\r\nIMr21\r\n"
                                     "OVr0-2\r\nOVr1-4\r\nOVr2-10\r\nOMr11\r\n"));
    dialog.resize(760, 360);
    dialog.show();
    QApplication::processEvents();
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    const QString file = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/dsp_mic_control.png");
    if (!dialog.grab().save(file)) {
        qWarning("could not save %s", qPrintable(file));
        return 1;
    }
    return 0;
}

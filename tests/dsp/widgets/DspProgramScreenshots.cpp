// Not a test: renders the processor dialog's program page with a few stored programs, one of them loaded and
// another selected, and the channel program manager of an input, for a person to look at.
#include "DspWidgetTestSupport.h"

#include "ChannelProgramForm.h"
#include "DspDiagramForm.h"
#include "DspProgramForm.h"
#include "ManageProgramForm.h"

#include <QDir>

using namespace dsptest;

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    resetAll();
    AppState::setChinese(true);
    TestDevice device;
    addDevice(device);
    DevDspDialog dialog;
    dialog.setLinkEnabled(false);
    dialog.setUdpSender([](const QByteArray& data, uint32_t, quint16) { return data.size(); });
    dialog.initOnlineUi(device.devId);
    dialog.recvBackData(versionReply(4, 4));
    dialog.handle_recvTcpMsg(configReply(4, 4));
    dialog.volumeTimer()->stop();
    dialog.cpuTimer()->stop();
    dialog.resize(1280, 640);
    dialog.show();
    dialog.on_pb_program_clicked();
    const QJsonArray names{"default", "Lecture", "Concert_Hall", "Conference-2", "Evening_Service", "Rehearsal"};
    dialog.recvBackData(reply(QStringLiteral("getConfigNameArr"), true, {{"nameArr", names}}));
    dialog.recvBackData(reply(QStringLiteral("getDefaultFile"), true, {{"name", "Concert_Hall"}}));
    dialog.programForm()->selectIndex(3);
    QApplication::processEvents();
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    const QString file = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/dsp_programs.png");
    if (!dialog.grab().save(file))
        qWarning("could not save %s", qPrintable(file));

    auto* manager = qobject_cast<ManageProgramForm*>(ChannelProgramForm::openFor(dialog.diagramForm(), true, 2, true));
    if (manager == nullptr)
        return 1;
    const QJsonArray chNames{"Lectern_Mic", "Choir", "Handheld-1", "Piano_L"};
    dialog.recvBackData(reply(QStringLiteral("getChConfigNameArr"), true, {{"nameArr", chNames}}));
    manager->selectIndex(1);
    dialog.recvBackData(reply(QStringLiteral("renameChConfig"), true, {{"name", "Choir"}}));
    dialog.recvBackData(reply(QStringLiteral("getChConfigNameArr"), true, {{"nameArr", chNames}}));
    manager->resize(520, 380);
    QApplication::processEvents();
    const QString managerFile = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/dsp_channel_programs.png");
    if (!manager->grab().save(managerFile))
        qWarning("could not save %s", qPrintable(managerFile));
    return 0;
}

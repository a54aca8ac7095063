// Not a test: renders the processor dialog with a small configuration for a person to look at.
#include "DspWidgetTestSupport.h"

#include "DspBlockBaseForm.h"
#include "DspDiagramForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {

/// Once the next modal window is up: saves the dialog with the modal window drawn over its middle, then lets
/// `answer` close the modal window.
void grabModal(QWidget* under, const QString& file, std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(200, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        QPixmap shot = under->grab();
        const QPixmap top = modal->grab();
        QPainter p(&shot);
        p.drawPixmap((shot.width() - top.width()) / 2, (shot.height() - top.height()) / 2, top);
        p.end();
        shot.save(file);
        answer(modal);
    });
}

} // namespace

using namespace dsptest;

int main(int argc, char** argv)
{
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    resetAll();
    AppState::setChinese(true);
    addDevice();
    DevDspDialog dialog;
    dialog.setLinkEnabled(false);
    dialog.setUdpSender([](const QByteArray&, uint32_t, quint16) { return 0; });
    dialog.initOnlineUi(kDevId);
    dialog.recvBackData(versionReply(4, 4));
    dialog.handle_recvTcpMsg(configReply(4, 4, [](CDeviceDspData& d) {
        addBlocks(d, true, 0, {CBaseItem::KindEq, CBaseItem::KindDelay, CBaseItem::KindCompress});
        addBlocks(d, true, 1, {CBaseItem::KindNoiseGate});
        addBlocks(d, false, 2, {CBaseItem::KindLimit, CBaseItem::KindFir});
        d.input(1)->setMute(true);
    }));
    dialog.recvBackData(reply(QStringLiteral("getCpuUsage"), true, {{"arr", QJsonArray{"50", "95"}}}));
    dialog.diagramForm()->selectPosition(true, 1, 1);
    dialog.resize(1280, 600);
    dialog.show();
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    dialog.grab().save(QStringLiteral(MERIDANE_SCREENSHOT_DIR "/dsp_dialog.png"));
    const QString dir = QStringLiteral(MERIDANE_SCREENSHOT_DIR);
    DspDiagramForm* diagram = dialog.diagramForm();
    // The administrator entry, then the diagram with forcing offered.
    grabModal(&dialog, dir + QStringLiteral("/dsp_admin_entry.png"), [](QWidget* modal) {
        // As a scripted session does it: the code typed into the named field, then Return.
        if (auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("le_diyCode"))) {
            edit->setText(QStringLiteral("diy"));
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(edit, &press);
        }
    });
    diagram->openDiyEntry();
    if (!diagram->isForceAddOffered())
        qWarning("the administrator entry did not offer forcing");
    dialog.grab().save(dir + QStringLiteral("/dsp_dialog_forceadd.png"));
    // Linking a middle channel asks for the partner.
    grabModal(&dialog, dir + QStringLiteral("/dsp_link_question.png"), [](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->button(QMessageBox::Cancel)->click();
    });
    diagram->linkChannel(true, 1);
    DspBlockBaseForm* editor = dialog.diagramForm()->showBlockDialog(true, 0, 0);
    editor->grab().save(QStringLiteral(MERIDANE_SCREENSHOT_DIR "/dsp_block_editor.png"));
    return 0;
}

#include "ProgramPrompts.h"

#include "FileDialogs.h"
#include "ProgramName.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kStyle = QStringLiteral("QMessageBox,QDialog{background:#262b33;} QLabel{color:#d7dbe2;}");

} // namespace

ProgramPrompts ProgramPrompts::dialogs(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    ProgramPrompts p;
    p.ask = [owner](const QString& question) {
        // On the heap behind a guard: the window that asked may be closed while the question waits.
        QPointer<QMessageBox> box = new QMessageBox(QMessageBox::Question, QObject::tr("提示"), question,
                                                    QMessageBox::Yes | QMessageBox::No, owner);
        box->setStyleSheet(kStyle);
        const int answer = box->exec();
        if (box == nullptr)
            return false;
        delete box.data();
        return answer == QMessageBox::Yes;
    };
    p.askName = [owner](const QString& prompt, const QString& initial) -> std::optional<QString> {
        // Named parts, so a script can type the name and press the button; on the heap behind a guard, like the
        // question.
        QPointer<QDialog> dialog = new QDialog(owner);
        dialog->setObjectName(QStringLiteral("ProgramNameDialog"));
        dialog->setWindowTitle(prompt);
        dialog->setStyleSheet(kStyle);
        auto* label = new QLabel(prompt, dialog);
        auto* edit = new QLineEdit(initial, dialog);
        edit->setObjectName(QStringLiteral("le_programName"));
        // Longer input is still refused with its message; this only keeps the field from growing without end.
        edit->setMaxLength(ProgramName::kMaxLength * 4);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
        buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("pb_nameOk"));
        buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("pb_nameCancel"));
        QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(label);
        layout->addWidget(edit);
        layout->addWidget(buttons);
        const int result = dialog->exec();
        if (dialog == nullptr)
            return std::nullopt;
        const QString text = edit->text();
        delete dialog.data();
        if (result != QDialog::Accepted)
            return std::nullopt;
        return text;
    };
    p.openFile = [owner](const QString& caption, const QString& dir, const QString& filter) {
        return FileDialogs::openFileName(owner, caption, dir, filter);
    };
    p.saveFile = [owner](const QString& caption, const QString& dir, const QString& filter) {
        return FileDialogs::saveFileName(owner, caption, dir, filter);
    };
    return p;
}

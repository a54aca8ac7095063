// Not a test: renders the add dialog over the shipped catalogue for a person to look at.
#include "AddDevForm.h"

#include "AppState.h"
#include "FormAddDev.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace {

void shoot(AddDevForm& form, const QString& file)
{
    form.show();
    QApplication::processEvents();
    if (!form.grab().save(QStringLiteral(MERIDANE_SCREENSHOT_DIR) + file))
        qWarning("could not save %s", qPrintable(file));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    const QString root = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../../resources/offlineConfig";
    const auto count = [](const QString& model) { return model == QLatin1String("MRD-M16") ? 2 : 0; };

    for (const bool chinese : {true, false}) {
        AppState::setChinese(chinese);
        AddDevForm form(nullptr, root);
        form.setCountFunction(count);
        QApplication::processEvents();
        form.selectCategory(1);
        form.items().value(2)->findChild<QPushButton*>("detail_bt")->click();
        shoot(form, chinese ? "/offline_add_dev.png" : "/offline_add_dev_en.png");
        if (chinese) {
            form.findChild<QLineEdit*>("lineEdit")->setText(QStringLiteral("麦瑞丹"));
            form.on_search_bt_clicked();
            shoot(form, "/offline_add_dev_search.png");
        }
    }
    return 0;
}

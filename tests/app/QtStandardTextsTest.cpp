#include "AppConfig.h"
#include "AppState.h"
#include "TopMenuForm.h"
#include "UserSettings.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString questionButtonText(QMessageBox::StandardButton which)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return box.button(which)->text();
}

// The language switch carries Qt's own texts along: a question in Chinese has Chinese buttons, and switching
// back to English takes them away again.
TEST(QtStandardTexts, StandardButtonsFollowTheLanguageSwitch)
{
    const QString qtDir = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(qtDir + QStringLiteral("/qtbase_zh_CN.qm")))
        GTEST_SKIP() << "Qt's Chinese texts are not installed here (" << qtDir.toStdString()
                     << "/qtbase_zh_CN.qm; Debian package qttranslations5-l10n)";

    int argc = 1;
    char name[] = "qt-standard-texts-test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QTemporaryDir appDir;
    ASSERT_TRUE(appDir.isValid());
    UserSettings settings(appDir.filePath(QStringLiteral("UserConfig.ini")), appDir.filePath(QStringLiteral("C.ini")));
    const AppConfig config;
    AppState::setMode(10);
    TopMenuForm menu(appDir.path(), config, settings);
    ASSERT_TRUE(menu.hasQtChineseTranslations());

    struct Step
    {
        bool chinese;
        QMessageBox::StandardButton button;
        QString text;
    };
    const Step steps[] = {
        {false, QMessageBox::Yes, QStringLiteral("&Yes")},  {true, QMessageBox::Yes, QStringLiteral("是(&Y)")},
        {true, QMessageBox::No, QStringLiteral("否(&N)")},  {true, QMessageBox::Cancel, QStringLiteral("取消")},
        {false, QMessageBox::Yes, QStringLiteral("&Yes")},  {false, QMessageBox::Cancel, QStringLiteral("Cancel")},
        {true, QMessageBox::Yes, QStringLiteral("是(&Y)")}, // installable again after switching away
    };
    for (const Step& s : steps) {
        ASSERT_TRUE(menu.applyLanguage(s.chinese));
        EXPECT_EQ(questionButtonText(s.button).toStdString(), s.text.toStdString())
            << "chinese=" << s.chinese << " button=" << s.button;
    }
}

} // namespace

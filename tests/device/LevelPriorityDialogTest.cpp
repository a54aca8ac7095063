#include "DialogChangePriority.h"
#include "LevelTestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace levelstest;

namespace {

class LevelPriorityDialogTest : public LevelsTest
{
};

TEST_F(LevelPriorityDialogTest, AcceptsOnlyZeroTo255)
{
    for (const char* bad : {"256", "-1", "", "abc", "3.5"}) {
        DialogChangePriority dialog(128);
        QSignalSpy changed(&dialog, &DialogChangePriority::changeData);
        dialog.field()->setText(QString::fromLatin1(bad));
        dialog.findChild<QPushButton*>(QStringLiteral("ok_bt"))->click();
        EXPECT_EQ(changed.count(), 0) << bad;
        EXPECT_EQ(dialog.tipText(), QStringLiteral("请输入规定的数字,范围0-255")) << bad;
        EXPECT_NE(dialog.result(), QDialog::Accepted) << bad;
    }
    for (const int good : {0, 255, 17}) {
        DialogChangePriority dialog(128);
        QSignalSpy changed(&dialog, &DialogChangePriority::changeData);
        dialog.field()->setText(QString::number(good));
        dialog.findChild<QPushButton*>(QStringLiteral("ok_bt"))->click();
        ASSERT_EQ(changed.count(), 1) << good;
        EXPECT_EQ(changed.at(0).at(0).toInt(), good);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
}

TEST_F(LevelPriorityDialogTest, OpensWithTheCurrentValue)
{
    DialogChangePriority dialog(42);
    EXPECT_EQ(dialog.field()->text(), QStringLiteral("42"));
}

} // namespace

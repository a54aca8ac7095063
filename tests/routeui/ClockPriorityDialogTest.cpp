#include "DialogChangePriority.h"
#include "RouteUiTestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

TEST(ClockPriorityDialogTest, AcceptsOnlyZeroTo255)
{
    routeuitest::app();
    struct Case
    {
        const char* text;
        bool accepted;
    };
    for (const Case& c : {Case{"256", false}, Case{"-1", false}, Case{"", false}, Case{"abc", false},
                          Case{"3.5", false}, Case{"0", true}, Case{"255", true}, Case{"17", true}}) {
        DialogChangePriority dialog(128);
        EXPECT_EQ(dialog.field()->text(), QStringLiteral("128")) << "opens with the current value";
        QSignalSpy changed(&dialog, &DialogChangePriority::changeData);
        dialog.field()->setText(QString::fromLatin1(c.text));
        dialog.findChild<QPushButton*>(QStringLiteral("ok_bt"))->click();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.text;
        ASSERT_EQ(changed.count(), c.accepted ? 1 : 0) << c.text;
        if (c.accepted) {
            EXPECT_EQ(changed.at(0).at(0).toInt(), QString::fromLatin1(c.text).toInt());
        }
        EXPECT_EQ(dialog.tipText(), c.accepted ? QString() : QStringLiteral("请输入规定的数字,范围0-255")) << c.text;
    }
}

} // namespace

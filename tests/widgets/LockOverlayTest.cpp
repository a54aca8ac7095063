#include "LockOverlays.h"

#include <QApplication>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class LockOverlayTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "lock-overlay-test";
            static char* argv[] = {name, nullptr};
            static QApplication app(argc, argv);
        }
    }
};

TEST_F(LockOverlayTest, DetailLockChoosesTheOverlay)
{
    QWidget page;
    page.resize(400, 300);
    auto* button = new QPushButton(QStringLiteral("Apply"), &page);
    button->setGeometry(10, 10, 80, 30);
    LockOverlays overlays(&page);
    page.show();

    struct Step
    {
        int lock;
        bool translucent;
        bool transparent;
        int level;
    };
    for (const Step& s : {Step{1, true, false, 1}, Step{2, false, true, 2}, Step{0, false, false, 0},
                          Step{7, false, true, 2}, Step{-1, false, false, 0}}) {
        overlays.apply(s.lock);
        EXPECT_EQ(overlays.translucent()->isVisible(), s.translucent) << s.lock;
        EXPECT_EQ(overlays.transparent()->isVisible(), s.transparent) << s.lock;
        EXPECT_EQ(overlays.level(), s.level) << s.lock;
    }
    EXPECT_EQ(overlays.translucent()->veilAlpha(), 153); // 60 % black
    EXPECT_EQ(overlays.transparent()->veilAlpha(), 255);

    // Locked, the overlay covers the page and is what a click on the button would hit.
    overlays.apply(1);
    EXPECT_EQ(page.childAt(button->geometry().center()), overlays.translucent());
    EXPECT_EQ(overlays.translucent()->geometry(), page.rect());
    page.resize(640, 480);
    EXPECT_EQ(overlays.translucent()->geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(overlays.transparent()->geometry(), QRect(0, 0, 640, 480));
    // A panel added later does not end up above the veil.
    auto* late = new QPushButton(QStringLiteral("Late"), &page);
    late->setGeometry(100, 100, 80, 30);
    late->show();
    EXPECT_EQ(page.childAt(late->geometry().center()), overlays.translucent());

    overlays.apply(0);
    EXPECT_EQ(page.childAt(button->geometry().center()), button);
}

TEST_F(LockOverlayTest, OverlayTakesFocusFromTheControlsUnderIt)
{
    QWidget page;
    page.resize(300, 200);
    auto* button = new QPushButton(QStringLiteral("Apply"), &page);
    button->setFocusPolicy(Qt::StrongFocus);
    LockOverlays overlays(&page);
    page.show();
    page.activateWindow();
    button->setFocus();
    ASSERT_EQ(page.focusWidget(), button);
    overlays.apply(2);
    EXPECT_EQ(page.focusWidget(), overlays.transparent());
}

} // namespace

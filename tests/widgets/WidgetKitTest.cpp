#include "FramelessWindow.h"
#include "ListWidgetHelpers.h"
#include "LoadingForm.h"
#include "MySnackbar.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class WidgetKit : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "widget-kit-test";
            static char* argv[] = {name, nullptr};
            static QApplication app(argc, argv);
        }
    }
};

TEST_F(WidgetKit, SnackbarHidesByItselfAndANewNoticeReplacesTheOld)
{
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    MySnackbar bar(&parent);
    QSignalSpy hidden(&bar, &MySnackbar::signal_hidden);
    bar.showMessage("first", 30);
    bar.showMessage("second", 60);
    EXPECT_EQ(bar.text(), "second");
    EXPECT_TRUE(bar.isVisible());
    EXPECT_LT(bar.geometry().bottom(), parent.height());
    ASSERT_TRUE(hidden.wait(1000));
    EXPECT_EQ(hidden.count(), 1) << "the replaced notice must not hide the new one early";
    EXPECT_FALSE(bar.isVisible());
}

TEST_F(WidgetKit, LoadingCountdownGivesUpAndReportsTheTimeOut)
{
    QWidget parent;
    parent.resize(300, 200);
    parent.show();
    LoadingForm loading(&parent);
    QSignalSpy timeout(&loading, &LoadingForm::signal_timeout);
    loading.setText("Loading...");
    loading.setCountdown(1);
    loading.start();
    EXPECT_TRUE(loading.isVisible());
    EXPECT_EQ(loading.geometry(), parent.rect());
    ASSERT_TRUE(timeout.wait(3000));
    EXPECT_FALSE(loading.isVisible());
    EXPECT_EQ(loading.remainingSeconds(), 0);

    // Stopped before the end: no time-out.
    loading.setCountdown(1);
    loading.start();
    loading.stop();
    EXPECT_FALSE(timeout.wait(1500));
    EXPECT_EQ(timeout.count(), 1);
}

TEST_F(WidgetKit, LoadingWithoutCountdownWaitsUntilStopped)
{
    QWidget parent;
    LoadingForm loading(&parent);
    QSignalSpy timeout(&loading, &LoadingForm::signal_timeout);
    loading.setCountdown(0);
    loading.start();
    EXPECT_FALSE(timeout.wait(1200));
    loading.stop();
}

TEST_F(WidgetKit, RowsRebuiltKeepTheSelectedKey)
{
    QTableWidget table(0, 2);
    ListWidgetHelpers::setRows(&table, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    table.selectRow(1);
    ListWidgetHelpers::setRows(&table, {{"0", "x"}, {"a", "1"}, {"b", "22"}});
    EXPECT_EQ(table.currentRow(), 2);
    EXPECT_EQ(ListWidgetHelpers::rowTexts(&table, 2), QStringList({"b", "22"}));
    QTableWidgetItem* kept = table.item(0, 0);
    EXPECT_FALSE(ListWidgetHelpers::setRows(&table, {{"0", "x"}, {"a", "1"}, {"b", "22"}})) << "nothing changed";
    EXPECT_EQ(table.item(0, 0), kept) << "cells are reused, not recreated";
    EXPECT_EQ(table.currentRow(), 2);
    EXPECT_TRUE(ListWidgetHelpers::setRows(&table, {{"z"}}));
    EXPECT_EQ(ListWidgetHelpers::rowTexts(&table, 0), QStringList({"z", ""}));
    EXPECT_TRUE(table.selectedItems().isEmpty()) << "the selected device left the list";
    EXPECT_TRUE(ListWidgetHelpers::rowTexts(&table, 5).isEmpty());
}

TEST_F(WidgetKit, EdgesResizeAndTitleMoves)
{
    FramelessWindow w;
    auto* title = new QWidget(&w);
    title->setGeometry(0, 0, 400, 30);
    w.setTitleArea(title);
    w.setMinimumSize(200, 150);
    w.setGeometry(100, 100, 400, 300);
    w.show();
    // Drag the bottom-right corner by (50, 40).
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(398, 298));
    QMouseEvent move(QEvent::MouseMove, QPoint(448, 338), w.mapToGlobal(QPoint(448, 338)), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(448, 338));
    EXPECT_EQ(w.size(), QSize(450, 340));
    // The left edge never pushes the window below its minimum width.
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(1, 150));
    QMouseEvent far(QEvent::MouseMove, QPoint(900, 150), w.mapToGlobal(QPoint(900, 150)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &far);
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(900, 150));
    EXPECT_GE(w.width(), 200);
}

} // namespace

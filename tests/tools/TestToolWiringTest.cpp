#include "ShellTestSupport.h"
#include "TestSignalDialog.h"
#include "TestToolAccess.h"

#include <QInputDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class TestToolWiringTest : public ShellTest
{
protected:
    /// The code that opens `mode`, found by trying every four-digit input (the codes are written nowhere).
    static QString codeFor(TestToolAccess::Mode mode)
    {
        for (int n = 0; n < 10000; ++n) {
            const QString code = QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
            if (TestToolAccess::modeFor(code) == mode)
                return code;
        }
        return QString();
    }
    /// Ctrl+Alt+1 on the main window, with `input` typed into the prompt (empty: Cancel).
    void prompt(const QString& input)
    {
        bool seen = false;
        QTimer::singleShot(50, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QInputDialog*>(w);
                if (dialog == nullptr || !dialog->isVisible())
                    continue;
                seen = true;
                EXPECT_EQ(dialog->textEchoMode(), QLineEdit::Password);
                dialog->setTextValue(input);
                input.isEmpty() ? dialog->reject() : dialog->accept();
            }
        });
        QTest::keyClick(window(), Qt::Key_1, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_TRUE(seen) << "the prompt opened";
    }
    bool calibrationShown() const
    {
        return m_window()->testTool()->findChild<QPushButton*>("pb_checkSignal")->isVisible();
    }
    MainWindow* m_window() const { return const_cast<TestToolWiringTest*>(this)->window(); }
};

TEST_F(TestToolWiringTest, PromptOpensTheToolOnceInEitherMode)
{
    window()->show();
    prompt("0000x");
    EXPECT_EQ(window()->testTool(), nullptr) << "a wrong code opens nothing";
    prompt(QString());
    EXPECT_EQ(window()->testTool(), nullptr);

    prompt(" " + codeFor(TestToolAccess::Reduced) + " ");
    TestSignalDialog* tool = window()->testTool();
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(tool->isVisible());
    EXPECT_FALSE(calibrationShown()) << "mode 1 hides the calibration";

    tool->hide();
    prompt(codeFor(TestToolAccess::AllControls));
    EXPECT_EQ(window()->testTool(), tool) << "created once, reused";
    EXPECT_TRUE(tool->isVisible());
    EXPECT_TRUE(calibrationShown());
}

TEST_F(TestToolWiringTest, ToolTalksThroughTheMainWindow)
{
    MainWindow* w = window();
    announce(announcement("MD01", "Stage", "10.1.0.21"));
    w->slot_recv_addDev("MD01");
    window()->openTestTool(TestToolAccess::AllControls);
    TestSignalDialog* tool = window()->testTool();
    ASSERT_NE(tool, nullptr);
    sent.clear();
    emit tool->sendChangedata(R"({"ops":"reboot","devId":"MD01"})");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].port, 9994);
    EXPECT_EQ(sent[0].ip, dvm_parseIp("10.1.0.21"));
    EXPECT_TRUE(QJsonDocument::fromJson(sent[0].bytes).object().value("ops") == "reboot");
    // The replies' bus reaches the tool (exactly one connection, so exactly one disconnect succeeds).
    EXPECT_TRUE(QObject::disconnect(window(), &MainWindow::sendBackDataSignal, tool, &TestSignalDialog::handleMessage));
    EXPECT_FALSE(
        QObject::disconnect(window(), &MainWindow::sendBackDataSignal, tool, &TestSignalDialog::handleMessage));
}

} // namespace

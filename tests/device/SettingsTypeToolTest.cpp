#include "ExternalToolRunner.h"
#include "FormEditDevTypeDialog.h"
#include "SettingsTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace settingstest;

namespace {

class SettingsTypeToolTest : public WidgetFixture
{
protected:
    void SetUp() override
    {
        app();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("tools"));
        dialog.setToolDirectory(dir.path());
        dialog.setPolling(10, 50);
        dialog.setDevInfo("MRD-0001", "192.168.1.11", "00:1D:C1:12:34:56");
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("rebootNotice"))
                w->close();
        }
    }

    /// A fake tool: logs its arguments (one run per line), then runs `body`.
    void writeTool(const QString& body, const QString& name = "Quill")
    {
        QFile f(dir.path() + "/tools/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n%2\n").arg(argLog(), body).toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QString argLog() const { return dir.path() + "/args.txt"; }
    QStringList runs() const
    {
        QFile f(argLog());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    void enterType(const QString& type)
    {
        auto* edit = dialog.findChild<QLineEdit*>("type_le");
        edit->clear();
        QTest::keyClicks(edit, type);
    }

    QTemporaryDir dir;
    FormEditDevTypeDialog dialog;
};

TEST_F(SettingsTypeToolTest, SuccessRunsBothStepsAndReboots)
{
    writeTool("echo 'write succ'");
    QSignalSpy sent(&dialog, &FormEditDevTypeDialog::sendChangeData);
    enterType("STAGE_A-16");
    dialog.on_ok_bt_clicked();
    EXPECT_EQ(runs(), (QStringList{"1p 2 @ MRD-0001 192.168.1.11", "6p 2 @ 192.168.1.11 STAGE_A-16 123456"}));
    EXPECT_EQ(dialog.statusText(), QStringLiteral("修改成功并重启，请刷新列表"));
    ASSERT_EQ(sent.count(), 1);
    EXPECT_EQ(sent.at(0).at(0).toString(), R"({"devId":"MRD-0001","ops":"reboot"})");
}

TEST_F(SettingsTypeToolTest, WithoutMacOnlyTheFirstStepRuns)
{
    writeTool("echo succ");
    dialog.setDevInfo("MRD-0001", "192.168.1.11", "00:1D:C1:00:00:00");
    QSignalSpy sent(&dialog, &FormEditDevTypeDialog::sendChangeData);
    enterType("T1");
    dialog.on_ok_bt_clicked();
    EXPECT_EQ(runs(), (QStringList{"1p 2 @ MRD-0001 192.168.1.11"}));
    EXPECT_EQ(sent.count(), 1);
}

TEST_F(SettingsTypeToolTest, SilentToolFailsAndIsKilled)
{
    writeTool("exec sleep 20");
    QSignalSpy sent(&dialog, &FormEditDevTypeDialog::sendChangeData);
    enterType("T1");
    QElapsedTimer t;
    t.start();
    dialog.on_ok_bt_clicked();
    EXPECT_LT(t.elapsed(), 5000) << "gave up after the polling rounds";
    EXPECT_EQ(dialog.statusText(), QStringLiteral("修改失败"));
    EXPECT_EQ(runs().size(), 1) << "no second step after a failed first";
    EXPECT_EQ(sent.count(), 0);
    EXPECT_TRUE(dialog.findChild<QPushButton*>("ok_bt")->isEnabled()) << "inputs usable again";
}

TEST_F(SettingsTypeToolTest, SecondStepMustSucceedToo)
{
    // Succeeds only for the first step.
    writeTool("case \"$1\" in 1p) echo succ ;; *) echo fail ;; esac");
    QSignalSpy sent(&dialog, &FormEditDevTypeDialog::sendChangeData);
    enterType("T2");
    dialog.on_ok_bt_clicked();
    EXPECT_EQ(runs().size(), 2);
    EXPECT_EQ(dialog.statusText(), QStringLiteral("修改失败"));
    EXPECT_EQ(sent.count(), 0);
}

TEST_F(SettingsTypeToolTest, WindowsNameIsFoundFirst)
{
    writeTool("echo nope");
    writeTool("echo succ", "Quill.exe");
    EXPECT_TRUE(ExternalToolRunner(dir.path()).toolPath().endsWith("/tools/Quill.exe"));
    QString out;
    EXPECT_TRUE(ExternalToolRunner(dir.path()).run({"x"}, &out));
    EXPECT_TRUE(out.contains("succ"));
}

TEST_F(SettingsTypeToolTest, MissingToolSaysSo)
{
    QSignalSpy tips(&dialog, &FormEditDevTypeDialog::signal_showTips);
    QSignalSpy sent(&dialog, &FormEditDevTypeDialog::sendChangeData);
    enterType("T1");
    dialog.on_ok_bt_clicked();
    EXPECT_EQ(dialog.statusText(), QStringLiteral("修改失败"));
    ASSERT_EQ(tips.count(), 1);
    EXPECT_TRUE(tips.at(0).at(0).toString().contains("Quill"));
    EXPECT_EQ(sent.count(), 0);
}

TEST_F(SettingsTypeToolTest, TypeFieldTakesOnlyTwelveSafeCharacters)
{
    writeTool("echo succ");
    enterType("ab.c d/e_F-1234567890");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("type_le")->text(), "abcde_F-1234");
    // An empty type does nothing at all.
    dialog.findChild<QLineEdit*>("type_le")->clear();
    dialog.on_ok_bt_clicked();
    EXPECT_TRUE(runs().isEmpty());
    EXPECT_TRUE(dialog.statusText().isEmpty());
}

} // namespace

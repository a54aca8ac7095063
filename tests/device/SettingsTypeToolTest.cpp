#include "DeviceTestSupport.h"
#include "ExternalToolRunner.h"
#include "FormEditDevTypeDialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace devicetest;

namespace {

class SettingsTypeToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("tools"));
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
    static void enterType(FormEditDevTypeDialog& d, const QString& type)
    {
        auto* edit = d.findChild<QLineEdit*>("type_le");
        edit->clear();
        QTest::keyClicks(edit, type);
    }

    QTemporaryDir dir;
};

TEST_F(SettingsTypeToolTest, BothStepsMustSucceedBeforeTheReboot)
{
    const QString kFirst = "1p 2 @ MRD-0001 192.168.1.11";
    const struct
    {
        const char* what;
        const char* tool; ///< script body, or null for no tool at all
        const char* mac;
        const char* type;
        QStringList runs;
        const char* status; ///< null: not checked
        bool reboot;
    } cases[] = {
        {"both succeed",
         "echo 'write succ'",
         "00:1D:C1:12:34:56",
         "STAGE_A-16",
         {kFirst, "6p 2 @ 192.168.1.11 STAGE_A-16 123456"},
         "修改成功并重启，请刷新列表",
         true},
        {"no mac: only the first step", "echo succ", "00:1D:C1:00:00:00", "T1", {kFirst}, nullptr, true},
        {"second step fails",
         R"(case "$1" in 1p) echo succ ;; *) echo fail ;; esac)",
         "00:1D:C1:12:34:56",
         "T2",
         {kFirst, "6p 2 @ 192.168.1.11 T2 123456"},
         "修改失败",
         false},
        {"silent tool is killed", "exec sleep 20", "00:1D:C1:12:34:56", "T1", {kFirst}, "修改失败", false},
        {"missing tool", nullptr, "00:1D:C1:12:34:56", "T1", {}, "修改失败", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(argLog());
        QFile::remove(dir.path() + "/tools/Quill");
        if (c.tool)
            writeTool(QString::fromUtf8(c.tool));
        FormEditDevTypeDialog dialog;
        dialog.setToolDirectory(dir.path());
        dialog.setPolling(10, 50);
        dialog.setDevInfo("MRD-0001", "192.168.1.11", QLatin1String(c.mac));
        QSignalSpy sent(&dialog, &FormEditDevTypeDialog::sendChangeData);
        QSignalSpy tips(&dialog, &FormEditDevTypeDialog::signal_showTips);
        enterType(dialog, QLatin1String(c.type));
        QElapsedTimer t;
        t.start();
        dialog.on_ok_bt_clicked();
        EXPECT_LT(t.elapsed(), 5000) << "gives up after the polling rounds";
        EXPECT_EQ(runs(), c.runs);
        if (c.status) {
            EXPECT_EQ(dialog.statusText(), QString::fromUtf8(c.status));
        }
        ASSERT_EQ(sent.count(), c.reboot ? 1 : 0);
        if (c.reboot) {
            EXPECT_EQ(sent.at(0).at(0).toString(), R"({"devId":"MRD-0001","ops":"reboot"})");
        }
        EXPECT_TRUE(dialog.findChild<QPushButton*>("ok_bt")->isEnabled()) << "inputs usable again";
        EXPECT_EQ(tips.count() == 1 && lastText(tips).contains("Quill"), c.tool == nullptr) << "names what is missing";
    }
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

TEST_F(SettingsTypeToolTest, TypeFieldTakesOnlyTwelveSafeCharacters)
{
    writeTool("echo succ");
    FormEditDevTypeDialog dialog;
    dialog.setToolDirectory(dir.path());
    enterType(dialog, "ab.c d/e_F-1234567890");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("type_le")->text(), "abcde_F-1234");
    // An empty type does nothing at all.
    dialog.findChild<QLineEdit*>("type_le")->clear();
    dialog.on_ok_bt_clicked();
    EXPECT_TRUE(runs().isEmpty());
    EXPECT_TRUE(dialog.statusText().isEmpty());
}

} // namespace

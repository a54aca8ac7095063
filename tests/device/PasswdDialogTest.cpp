#include "DeviceTestSupport.h"
#include "ManagePasswd.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace devicetest;

namespace {

const char* const kIp = "192.168.10.21";

QStringList g_logLines;
void collectLog(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_logLines << text;
}

class PasswdDialogTest : public DeviceTest
{
protected:
    QLineEdit* edit(ManagePasswd& d, const char* name) { return d.findChild<QLineEdit*>(QLatin1String(name)); }
    void clickOk(ManagePasswd& d) { d.findChild<QPushButton*>("ok_bt")->click(); }

    /// The last notice as (text, success).
    static std::pair<QString, bool> last(const QSignalSpy& spy)
    {
        const QList<QVariant> args = spy.last();
        return {args.at(0).toString(), args.at(1).toBool()};
    }
};

TEST_F(PasswdDialogTest, RefusedPasswordsSendNothing)
{
    announce("D1", kIp, "MRD-M8");
    using Typed = std::vector<std::pair<const char*, const char*>>;
    const struct
    {
        ManagePasswd::Mode mode;
        Typed typed;
        const char* tip;
    } cases[] = {
        {ManagePasswd::EnterPassword, {}, "密码不能为空"},
        {ManagePasswd::EnterPassword, {{"passwd_le", "secret "}}, "密码中不能有空格"},
        {ManagePasswd::SetPassword, {{"new_le", "abc"}, {"confirm_le", "abd"}}, "两次密码输入不一致"},
        {ManagePasswd::SetPassword, {}, "密码不能为空"},
        {ManagePasswd::ChangePassword,
         {{"old_le", "old"}, {"new_le", "a b"}, {"confirm_le", "a b"}},
         "密码中不能有空格"},
        {ManagePasswd::ChangePassword, {{"new_le", "abc"}, {"confirm_le", "abc"}}, "密码不能为空"},
    };
    for (const auto& c : cases) {
        ManagePasswd d("D1", c.mode);
        QSignalSpy info(&d, &ManagePasswd::signal_information);
        for (const auto& field : c.typed)
            edit(d, field.first)->setText(QString::fromUtf8(field.second));
        clickOk(d);
        ASSERT_EQ(info.count(), 1) << c.tip;
        EXPECT_EQ(last(info), std::make_pair(QString::fromUtf8(c.tip), false));
        EXPECT_FALSE(d.isWaiting());
    }
    EXPECT_TRUE(sent.empty());
}

TEST_F(PasswdDialogTest, FieldsMatchTheModeAndHideTheirText)
{
    announce("D1", kIp, "MRD-A16");
    const std::pair<ManagePasswd::Mode, QStringList> modes[] = {
        {ManagePasswd::EnterPassword, {"passwd_le"}},
        {ManagePasswd::SetPassword, {"new_le", "confirm_le"}},
        {ManagePasswd::ChangePassword, {"old_le", "new_le", "confirm_le"}}};
    for (const auto& m : modes) {
        ManagePasswd d("D1", m.first);
        for (const char* name : {"passwd_le", "old_le", "new_le", "confirm_le"}) {
            QLineEdit* e = edit(d, name);
            ASSERT_EQ(e != nullptr, m.second.contains(QLatin1String(name))) << name << " in mode " << m.first;
            if (e) {
                EXPECT_EQ(e->echoMode(), QLineEdit::Password) << name;
            }
        }
    }
    // The show-text toggle belongs to its own field only.
    ManagePasswd change("D1", ManagePasswd::ChangePassword);
    change.findChild<QCheckBox*>("show_new_cb")->setChecked(true);
    EXPECT_EQ(edit(change, "new_le")->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(edit(change, "old_le")->echoMode(), QLineEdit::Password);
    change.findChild<QCheckBox*>("show_new_cb")->setChecked(false);
    EXPECT_EQ(edit(change, "new_le")->echoMode(), QLineEdit::Password);
}

TEST_F(PasswdDialogTest, EnteredPasswordSendsBothLocksSortedAndNeverLogsIt)
{
    announce("D1", kIp, "MRD-M8"); // its processor takes lock requests on 9995
    QLoggingCategory::setFilterRules("meridane.*=true");
    g_logLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectLog);

    ManagePasswd d("D1", ManagePasswd::EnterPassword);
    d.setLevels(1, 1, 3);
    edit(d, "passwd_le")->setText("Op3nSesame");
    clickOk(d);

    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, QByteArray(R"({"ops":"setLock","password":"Op3nSesame","val":"0x3"})"));
    EXPECT_EQ(sent[1].bytes,
              QByteArray(R"({"ops":"setLock","password":"Op3nSesame","uiTag":"dspUiTag","val":"0x1001f"})"));
    for (const Sent& s : sent) {
        EXPECT_EQ(s.ip, dvm_parseIp(kIp));
        EXPECT_EQ(s.port, 9995);
    }
    EXPECT_TRUE(d.isWaiting());
    EXPECT_FALSE(d.findChild<QPushButton*>("ok_bt")->isEnabled());
    ASSERT_FALSE(g_logLines.isEmpty()); // the requests were logged, so the check below saw them
    for (const QString& line : g_logLines)
        EXPECT_FALSE(line.contains("Op3nSesame")) << line.toStdString();
}

TEST_F(PasswdDialogTest, ProcessorLockGoesToThePortOfItsModel)
{
    announce("P1", "192.168.10.30", "MRD-P64");
    announce("A1", "192.168.10.31", "MRD-A16");
    ManagePasswd p("P1", ManagePasswd::EnterPassword);
    p.setLevels(0, 2, 2);
    edit(p, "passwd_le")->setText("pw");
    clickOk(p);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].port, 9995);
    EXPECT_EQ(sent[0].msg.value("val"), "0x10002");
    EXPECT_EQ(sent[1].port, 8999);
    EXPECT_EQ(sent[1].msg.value("val"), "0x1");

    // No processor, no processor lock.
    sent.clear();
    ManagePasswd a("A1", ManagePasswd::EnterPassword);
    a.setLevels(0, 0, 3);
    edit(a, "passwd_le")->setText("pw");
    clickOk(a);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, QByteArray(R"({"ops":"setLock","password":"pw","val":"0x0"})"));
}

TEST_F(PasswdDialogTest, FailedChangeKeepsTheDialogOpenAndIgnoresLateSuccess)
{
    const struct
    {
        const char* what;
        const char* model;
        bool chinese;
        QJsonObject answer; ///< from the device; empty: it stays silent
        const char* notice;
    } cases[] = {
        {"wrong password, reason in English",
         "MRD-A16",
         false,
         {{"ops", "setLock"}, {"result", "fail"}, {"reason", "mismatch"}},
         "Password error"},
        // No reason given: still a failure text, never an empty notice.
        {"processor refusal fails the whole change",
         "MRD-P64",
         true,
         {{"ops", "setLock"}, {"uiTag", "dspUiTag"}, {"result", "fail"}},
         "设置失败"},
        {"silent device", "MRD-A16", true, {}, "设备超时未响应"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reset();
        AppState::setChinese(c.chinese);
        announce("D1", kIp, c.model);
        ManagePasswd d("D1", ManagePasswd::EnterPassword);
        d.setReplyTimeoutMs(30);
        d.show();
        QSignalSpy info(&d, &ManagePasswd::signal_information);
        edit(d, "passwd_le")->setText("pw");
        clickOk(d);
        if (c.answer.isEmpty()) {
            ASSERT_TRUE(info.wait(2000));
        } else {
            for (const QString& m : fromDevice(kIp, c.answer))
                d.recvBackData(m);
        }
        ASSERT_EQ(info.count(), 1);
        EXPECT_EQ(last(info), std::make_pair(QString::fromUtf8(c.notice), false));
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(d.isWaiting());
        EXPECT_TRUE(d.findChild<QPushButton*>("ok_bt")->isEnabled());
        // A late success of the device lock no longer counts as the change succeeding.
        d.recvBackData(compact({{"ops", "setLock"}, {"devId", "D1"}, {"result", "succ"}}));
        EXPECT_EQ(info.count(), 1);
        EXPECT_EQ(sentOps("getLock").size(), 0u);
    }
}

TEST_F(PasswdDialogTest, SuccessNeedsEveryAnswerThenAsksForTheLocksAndCloses)
{
    announce("D1", kIp, "MRD-M8");
    ManagePasswd d("D1", ManagePasswd::EnterPassword);
    d.show();
    QSignalSpy info(&d, &ManagePasswd::signal_information);
    edit(d, "passwd_le")->setText("pw");
    clickOk(d);
    sent.clear();

    // Another device's answer and an answer nobody asked for change nothing.
    d.recvBackData(compact({{"ops", "setLock"}, {"devId", "OTHER"}, {"result", "succ"}}));
    d.recvBackData(compact({{"ops", "setPassword"}, {"devId", "D1"}, {"result", "succ"}}));
    // The device lock answered; the processor lock has not.
    for (const QString& m : fromDevice(kIp, QJsonObject{{"ops", "setLock"}, {"result", "succ"}}))
        d.recvBackData(m);
    EXPECT_EQ(info.count(), 0);
    EXPECT_TRUE(d.isWaiting());
    EXPECT_TRUE(sent.empty());

    for (const QString& m : fromDevice(kIp, QJsonObject{{"ops", "setLock"}, {"uiTag", "dspUiTag"}, {"result", "succ"}}))
        d.recvBackData(m);
    ASSERT_EQ(info.count(), 1);
    EXPECT_EQ(last(info), std::make_pair(QStringLiteral("设置成功"), true));
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, QByteArray(R"({"ops":"getLock"})"));
    EXPECT_EQ(sent[0].port, 9995);
    EXPECT_EQ(sent[1].bytes, QByteArray(R"({"ops":"getLock","uiTag":"dspUiTag"})"));
    EXPECT_EQ(sent[1].port, 9995);
}

TEST_F(PasswdDialogTest, SettingAndChangingThePassword)
{
    announce("D1", kIp, "MRD-A16");
    {
        ManagePasswd d("D1", ManagePasswd::SetPassword);
        edit(d, "new_le")->setText("first");
        edit(d, "confirm_le")->setText("first");
        clickOk(d);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].bytes, QByteArray(R"({"isByself":"isByself","new":"first","old":"","ops":"setPassword"})"));
        EXPECT_EQ(sent[0].port, 9994);
    }
    sent.clear();
    ManagePasswd d("D1", ManagePasswd::ChangePassword);
    d.show();
    QSignalSpy info(&d, &ManagePasswd::signal_information);
    edit(d, "old_le")->setText("first");
    edit(d, "new_le")->setText("second");
    edit(d, "confirm_le")->setText("second");
    clickOk(d);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].msg.value("old"), "first");
    EXPECT_EQ(sent[0].msg.value("new"), "second");

    const QStringList toWindows =
        fromDevice(kIp, QJsonObject{{"ops", "setPassword"}, {"result", "succ"}, {"old", "first"}, {"new", "second"}});
    ASSERT_EQ(toWindows.size(), 1);
    d.recvBackData(toWindows[0]);
    ASSERT_EQ(info.count(), 1);
    EXPECT_EQ(last(info), std::make_pair(QStringLiteral("修改密码成功"), true));
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(DevDetailStore::instance().getDevDetail("D1").passwordSet, 1);
}

} // namespace

#include "DeviceTestSupport.h"
#include "ManageLock.h"
#include "ManagePasswd.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace devicetest;

namespace {

const char* const kIp = "192.168.10.21";
const char* const kDspNames[] = {"dsp_normal_cb", "dsp_readOnly_cb", "dspD_readOnly_cb", "dsp_unvisable_cb"};

class LockDialogTest : public DeviceTest
{
protected:
    QCheckBox* box(ManageLock& d, const char* name) { return d.findChild<QCheckBox*>(QLatin1String(name)); }
    void click(QWidget& d, const char* name) { d.findChild<QPushButton*>(QLatin1String(name))->click(); }
};

TEST_F(LockDialogTest, OpensWithTheStoredLevelsOfAProcessorDevice)
{
    announce("D1", kIp, "MRD-P64");
    fromDevice(kIp, QJsonObject{{"ops", "getLock"}, {"val", "0x10003"}});
    fromDevice(kIp, QJsonObject{{"ops", "getLock"}, {"uiTag", "dspUiTag"}, {"val", "0x1"}});

    ManageLock d("D1");
    d.show();
    EXPECT_TRUE(box(d, "dev_unvisable_cb")->isChecked());
    EXPECT_TRUE(box(d, "devRoute_readOnly_cb")->isChecked());
    EXPECT_TRUE(box(d, "dspD_readOnly_cb")->isChecked());
    EXPECT_EQ(d.detailLevel(), 2);
    EXPECT_EQ(d.routeLevel(), 1);
    EXPECT_EQ(d.dspLevel(), 2);
    for (const char* name : kDspNames)
        EXPECT_TRUE(box(d, name)->isVisible()) << name;

    // Each area is one exclusive choice whose id is the level.
    box(d, "dev_readOnly_cb")->click();
    EXPECT_FALSE(box(d, "dev_unvisable_cb")->isChecked());
    EXPECT_EQ(d.detailLevel(), 1);
    box(d, "dsp_unvisable_cb")->click();
    EXPECT_EQ(d.dspLevel(), 3);
    box(d, "devRoute_normal_cb")->click();
    EXPECT_EQ(d.routeLevel(), 0);
}

TEST_F(LockDialogTest, DevicesWithoutProcessorShowNoProcessorControls)
{
    announce("A1", kIp, "MRD-A16");
    ManageLock d("A1");
    d.show();
    int hidden = 0;
    const QList<QWidget*> children = d.findChildren<QWidget*>();
    for (QWidget* w : children) {
        if (w->objectName().contains(QLatin1String("dsp"))) {
            EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
            ++hidden;
        }
    }
    EXPECT_GE(hidden, 4);
    EXPECT_TRUE(box(d, "dev_normal_cb")->isVisible());
    EXPECT_TRUE(box(d, "dev_normal_cb")->isChecked());
    EXPECT_TRUE(box(d, "devRoute_normal_cb")->isChecked());
}

TEST_F(LockDialogTest, OkAsksForThePasswordThatAppliesTheChosenLevels)
{
    announce("D1", kIp, "MRD-M16");
    ManageLock d("D1");
    d.show();
    QSignalSpy lockMode(&d, &ManageLock::signal_lockMode);
    QSignalSpy info(&d, &ManageLock::signal_information);
    box(d, "devRoute_readOnly_cb")->click();
    box(d, "dev_unvisable_cb")->click();
    box(d, "dsp_readOnly_cb")->click();
    click(d, "ok_bt");
    EXPECT_EQ(lockMode.count(), 1);
    EXPECT_TRUE(sent.empty()); // nothing before the password

    ManagePasswd* passwd = d.passwordDialog();
    ASSERT_NE(passwd, nullptr);
    EXPECT_EQ(passwd->mode(), ManagePasswd::EnterPassword);
    passwd->findChild<QLineEdit*>("passwd_le")->setText("pw");
    click(*passwd, "ok_bt");
    ASSERT_EQ(sentOps("setLock").size(), 2u);
    EXPECT_EQ(sentOps("setLock")[0].msg.value("val"), "0x10003");
    EXPECT_EQ(sentOps("setLock")[1].msg.value("val"), "0x1f");

    // Answers reach the password dialog through the lock dialog; both close on success.
    for (const QJsonObject& r : {QJsonObject{{"ops", "setLock"}, {"result", "succ"}},
                                 QJsonObject{{"ops", "setLock"}, {"uiTag", "dspUiTag"}, {"result", "succ"}}}) {
        for (const QString& m : fromDevice(kIp, r))
            d.recvBackData(m);
    }
    ASSERT_EQ(info.count(), 1);
    EXPECT_EQ(info.last().at(0).toString(), "设置成功");
    EXPECT_TRUE(info.last().at(1).toBool());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(sentOps("getLock").size(), 2u);
    // The levels change only when the device reports them.
    EXPECT_EQ(DevDetailStore::instance().getDevDetail("D1").routeLock, 0);
}

TEST_F(LockDialogTest, PasswordButtonSetsTheFirstPasswordAndChangesLaterOnes)
{
    announce("D1", kIp, "MRD-A16");
    ManageLock d("D1");
    d.show();
    click(d, "passwd_bt");
    ASSERT_NE(d.passwordDialog(), nullptr);
    EXPECT_EQ(d.passwordDialog()->mode(), ManagePasswd::SetPassword);

    fromDevice(kIp, QJsonObject{{"ops", "setPassword"}, {"result", "succ"}, {"old", ""}, {"new", "x"}});
    ASSERT_EQ(DevDetailStore::instance().getDevDetail("D1").passwordSet, 1);
    click(d, "passwd_bt");
    EXPECT_EQ(d.passwordDialog()->mode(), ManagePasswd::ChangePassword);
    // Changing the password leaves the lock dialog open.
    EXPECT_TRUE(d.isVisible());
}

} // namespace

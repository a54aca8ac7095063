#include "SelectNetDialog.h"
#include "NetItemForm.h"
#include "RouteUiTestSupport.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Iface = NetInterfaceList::Interface;

Iface adapter(const QString& name, const QString& ip)
{
    Iface i;
    i.humanName = name;
    i.up = true;
    i.running = true;
    i.ipv4 = QStringList{ip};
    return i;
}

class SelectNetDialogTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        host = {adapter(QStringLiteral("Ethernet"), QStringLiteral("192.168.1.20")),
                adapter(QStringLiteral("VMware Network Adapter VMnet1"), QStringLiteral("192.168.56.1"))};
        dialog.setAddressSource([this] { return NetInterfaceList::build(host); });
    }

    NetItemForm* item(int row)
    {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("listWidget"));
        return qobject_cast<NetItemForm*>(list->itemWidget(list->item(row)));
    }
    int rows() { return dialog.findChild<QListWidget*>(QStringLiteral("listWidget"))->count(); }

    QVector<Iface> host;
    SelectNetDialog dialog;
};

TEST_F(SelectNetDialogTest, WiredAdapterBesideVirtualMachineAdapterIsChosenAtStart)
{
    QSignalSpy confirmed(&dialog, &SelectNetDialog::updateNetInterafceSignal);
    EXPECT_TRUE(dialog.autoChoose());
    EXPECT_EQ(dialog.selectedIp(), QStringLiteral("192.168.1.20"));
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(item(0)->isChecked());
    EXPECT_EQ(confirmed.count(), 0); // the caller confirms

    // The next refresh sees the same list: nothing happens.
    dialog.refreshInterfaces();
    EXPECT_EQ(confirmed.count(), 0);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SelectNetDialogTest, SecondAdapterAsksTheUserAndRemovingItChoosesAgain)
{
    ASSERT_TRUE(dialog.autoChoose());
    QSignalSpy confirmed(&dialog, &SelectNetDialog::updateNetInterafceSignal);

    host.append(adapter(QStringLiteral("USB Ethernet"), QStringLiteral("10.0.0.7")));
    dialog.refreshInterfaces();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(confirmed.count(), 0);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(dialog.selectedIp(), QStringLiteral("192.168.1.20"));

    // The user checks the new address: the other box clears, and Return confirms.
    ASSERT_EQ(item(1)->ip(), QStringLiteral("10.0.0.7"));
    item(1)->findChild<QCheckBox*>()->click();
    EXPECT_EQ(dialog.currentChoice(), QStringLiteral("10.0.0.7"));
    EXPECT_FALSE(item(0)->isChecked());
    EXPECT_TRUE(item(1)->isChecked());
    // Clicking the chosen box again does not leave the dialog without a choice.
    item(1)->findChild<QCheckBox*>()->click();
    EXPECT_TRUE(item(1)->isChecked());
    EXPECT_EQ(dialog.currentChoice(), QStringLiteral("10.0.0.7"));

    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(confirmed.count(), 1);
    EXPECT_EQ(dialog.selectedIp(), QStringLiteral("10.0.0.7"));
    EXPECT_FALSE(dialog.isVisible());

    // Unplugged again: the wired address is the only one and is confirmed by itself.
    host.removeLast();
    dialog.refreshInterfaces();
    EXPECT_EQ(confirmed.count(), 2);
    EXPECT_EQ(dialog.selectedIp(), QStringLiteral("192.168.1.20"));

    // All gone: nothing is confirmed and the last choice stands.
    host.clear();
    dialog.refreshInterfaces();
    EXPECT_EQ(confirmed.count(), 2);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(dialog.selectedIp(), QStringLiteral("192.168.1.20"));
}

TEST_F(SelectNetDialogTest, OkButtonAndEnterConfirmTheCheckedAddress)
{
    host.append(adapter(QStringLiteral("USB Ethernet"), QStringLiteral("10.0.0.7")));
    EXPECT_FALSE(dialog.autoChoose());
    EXPECT_TRUE(dialog.selectedIp().isEmpty());
    QSignalSpy confirmed(&dialog, &SelectNetDialog::updateNetInterafceSignal);

    dialog.show();
    dialog.on_check_changed(QStringLiteral("192.168.1.20"));
    EXPECT_TRUE(item(0)->isChecked());
    dialog.findChild<QPushButton*>(QStringLiteral("ok_bt"))->click();
    EXPECT_EQ(confirmed.count(), 1);
    EXPECT_EQ(dialog.selectedIp(), QStringLiteral("192.168.1.20"));
    EXPECT_FALSE(dialog.isVisible());

    dialog.show();
    dialog.on_check_changed(QStringLiteral("10.0.0.7"));
    QTest::keyClick(&dialog, Qt::Key_Enter);
    EXPECT_EQ(confirmed.count(), 2);
    EXPECT_EQ(dialog.selectedIp(), QStringLiteral("10.0.0.7"));
}

} // namespace

#include "NetStateForm.h"
#include "DevDetailStore.h"
#include "FormNetTitle.h"
#include "ModelTable.h"
#include "NetStateItemForm.h"
#include "RouteUiTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QString reply(const QString& devId, const QString& temp, const QString& uptime, const QString& name = QString())
{
    return QStringLiteral(R"({"devId":"%1","devName":"%2","ops":"getDebugInfo","result":"succ","temp":"%3",)"
                          R"("uptime":"%4"})")
        .arg(devId, name, temp, uptime);
}

class NetStateFormTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        dvm_resetForTest();
        add(QStringLiteral("MRD-0001"), QStringLiteral("Alpha"), QStringLiteral("192.168.1.11"));
        add(QStringLiteral("MRD-0002"), QStringLiteral("Bravo"), QStringLiteral("192.168.1.12"));
        add(QStringLiteral("MRD-0003"), QStringLiteral("Charlie"), QStringLiteral("192.168.1.13"));
        form.setChinese(false);
        form.setProbeOnRefresh(false);
    }
    void TearDown() override { dvm_resetForTest(); }

    void add(const QString& devId, const QString& name, const QString& ip)
    {
        routeuitest::announce(devId, name, ip);
        ASSERT_EQ(store.addFromRegistry(devId), DevDetailStore::Added);
    }
    QString nameText(const QString& devId)
    {
        NetStateItemForm* row = form.rowWidget(devId);
        return row ? row->nameText() : QStringLiteral("<no row>");
    }

    DevDetailStore store{ModelTable::instance()};
    NetStateForm form{store, ModelTable::instance()};
    const QString a = QStringLiteral("MRD-0001");
    const QString b = QStringLiteral("MRD-0002");
    const QString c = QStringLiteral("MRD-0003");
};

TEST_F(NetStateFormTest, RefreshListsDevicesAndPollsEachOne)
{
    QSignalSpy requests(&form, &NetStateForm::sendChangedata);
    form.refresh();
    EXPECT_EQ(form.rowDevIds(), (QStringList{a, b, c}));
    ASSERT_EQ(requests.count(), 3);
    EXPECT_EQ(requests.at(0).at(0).toString(), QStringLiteral(R"({"devId":"MRD-0001","ops":"getDebugInfo"})"));
    EXPECT_EQ(requests.at(2).at(0).toString(), QStringLiteral(R"({"devId":"MRD-0003","ops":"getDebugInfo"})"));

    const NetStateItemForm::Fields f = form.rowWidget(a)->fields();
    EXPECT_EQ(f.name, QStringLiteral("Alpha"));
    EXPECT_EQ(f.type, QStringLiteral("Stagebox A16"));
    EXPECT_EQ(f.sampleRate, QStringLiteral("48000"));
    EXPECT_EQ(f.packetTime, QStringLiteral("0.25 ms"));
    EXPECT_EQ(f.latency, QStringLiteral("2 ms"));
    EXPECT_TRUE(f.temperature.isEmpty());

    // A device that left the store leaves the page at the next refresh.
    store.removeDevDetail(b);
    form.refresh();
    EXPECT_EQ(form.rowDevIds(), (QStringList{a, c}));
}

TEST_F(NetStateFormTest, ReplyShowsTemperatureAndRunningTime)
{
    form.refresh();
    form.handleMessage(reply(a, QStringLiteral("45260"), QStringLiteral("3725")));
    EXPECT_EQ(form.rowWidget(a)->fields().temperature, QStringLiteral("45.3℃"));
    EXPECT_EQ(form.rowWidget(a)->runningTimeText(), QStringLiteral("1:2:5"));
    // Rebuilt rows keep what the device reported.
    form.refresh();
    EXPECT_EQ(form.rowWidget(a)->runningTimeText(), QStringLiteral("1:2:5"));

    // Processor traffic and replies of unlisted devices change nothing.
    form.handleMessage(reply(a, QStringLiteral("90000"), QStringLiteral("1"))
                           .replace(QStringLiteral(R"("ops")"), QStringLiteral(R"("uiTag":"dspUiTag","ops")")));
    form.handleMessage(reply(QStringLiteral("MRD-9999"), QStringLiteral("90000"), QStringLiteral("1")));
    EXPECT_EQ(form.rowWidget(a)->fields().temperature, QStringLiteral("45.3℃"));
    EXPECT_FALSE(form.tracker().contains(QStringLiteral("MRD-9999")));
}

TEST_F(NetStateFormTest, TemperatureWarnings)
{
    form.refresh();
    QSignalSpy deviceTips(&form, &NetStateForm::signal_unusualTips);
    QSignalSpy globalTips(&form, &NetStateForm::signal_gobalTips);

    form.handleMessage(reply(a, QStringLiteral("85500"), QStringLiteral("10"), QStringLiteral("Alpha")));
    const QString abnormal = QStringLiteral("Alpha temperature is abnormal, please check the equipment");
    EXPECT_EQ(nameText(a), abnormal);
    ASSERT_EQ(deviceTips.count(), 1);
    EXPECT_EQ(deviceTips.last(), (QList<QVariant>{a, 3, true, abnormal}));
    ASSERT_GE(globalTips.count(), 1);
    EXPECT_EQ(globalTips.last(), (QList<QVariant>{1, true, abnormal}));

    // A second, milder warning does not displace the worse one in the main window.
    form.handleMessage(reply(b, QStringLiteral("81000"), QStringLiteral("10"), QStringLiteral("Bravo")));
    EXPECT_EQ(deviceTips.last().at(1).toInt(), 2);
    EXPECT_EQ(globalTips.last(), (QList<QVariant>{1, true, abnormal}));

    form.handleMessage(reply(a, QStringLiteral("80000"), QStringLiteral("10"), QStringLiteral("Alpha")));
    EXPECT_EQ(nameText(a), QStringLiteral("Alpha"));
    EXPECT_EQ(deviceTips.last(), (QList<QVariant>{a, 0, false, QString()}));
    EXPECT_EQ(globalTips.last().at(0).toInt(), 0); // the caution is shown in yellow
    EXPECT_EQ(globalTips.last().at(1).toBool(), true);

    form.handleMessage(reply(b, QStringLiteral("30000"), QStringLiteral("10"), QStringLiteral("Bravo")));
    EXPECT_EQ(globalTips.last().at(1).toBool(), false);
    const int count = globalTips.count();
    form.handleMessage(reply(b, QStringLiteral("30000"), QStringLiteral("11"), QStringLiteral("Bravo")));
    EXPECT_EQ(globalTips.count(), count); // nothing to clear twice

    form.setChinese(true);
    form.handleMessage(reply(c, QStringLiteral("86000"), QStringLiteral("10"), QStringLiteral("Charlie")));
    EXPECT_EQ(nameText(c), QStringLiteral("Charlie 温度异常，请检查设备"));
}

TEST_F(NetStateFormTest, SilentDeviceWarnedAtThirdRefreshUntilItAnswers)
{
    QSignalSpy deviceTips(&form, &NetStateForm::signal_unusualTips);
    QSignalSpy globalTips(&form, &NetStateForm::signal_gobalTips);
    const QString lost = QStringLiteral("Bravo communication is abnormal, please check the network connection");

    for (int i = 0; i < 2; ++i) {
        form.refresh();
        form.handleMessage(reply(a, QStringLiteral("40000"), QStringLiteral("5")));
        form.handleMessage(reply(c, QStringLiteral("40000"), QStringLiteral("5")));
    }
    EXPECT_EQ(nameText(b), QStringLiteral("Bravo"));
    EXPECT_EQ(deviceTips.count(), 0);

    form.refresh();
    EXPECT_EQ(nameText(b), lost);
    EXPECT_EQ(nameText(a), QStringLiteral("Alpha"));
    ASSERT_EQ(deviceTips.count(), 1);
    EXPECT_EQ(deviceTips.last(), (QList<QVariant>{b, 1, true, lost}));
    EXPECT_EQ(globalTips.last(), (QList<QVariant>{1, true, lost}));

    form.handleMessage(reply(b, QStringLiteral("40000"), QStringLiteral("5")));
    EXPECT_EQ(nameText(b), QStringLiteral("Bravo"));
    EXPECT_EQ(deviceTips.last(), (QList<QVariant>{b, 0, false, QString()}));
    EXPECT_EQ(globalTips.last().at(1).toBool(), false);

    // Re-sorting is not a poll: it must not push a device towards the warning.
    form.refresh();
    form.refresh();
    form.recvSortIndex(1);
    form.recvSortIndex(0);
    EXPECT_EQ(nameText(b), QStringLiteral("Bravo"));
}

TEST_F(NetStateFormTest, RemovedDeviceTakesItsWarningAlong)
{
    for (int i = 0; i < 3; ++i)
        form.refresh();
    QSignalSpy deviceTips(&form, &NetStateForm::signal_unusualTips);
    QSignalSpy globalTips(&form, &NetStateForm::signal_gobalTips);
    form.handleMessage(reply(a, QStringLiteral("40000"), QStringLiteral("5")));
    form.handleMessage(reply(c, QStringLiteral("40000"), QStringLiteral("5")));
    EXPECT_EQ(globalTips.last().at(1).toBool(), true);

    store.removeDevDetail(b);
    form.slot_removeDevId(b);
    EXPECT_FALSE(form.tracker().contains(b));
    EXPECT_EQ(form.rowDevIds(), (QStringList{a, c}));
    EXPECT_EQ(deviceTips.last(), (QList<QVariant>{b, 0, false, QString()}));
    EXPECT_EQ(globalTips.last().at(1).toBool(), false);
}

TEST_F(NetStateFormTest, SortsByRunningTime)
{
    add(QStringLiteral("MRD-0004"), QStringLiteral("Delta"), QStringLiteral("192.168.1.14"));
    const QString d = QStringLiteral("MRD-0004");
    FormNetTitle title;
    QObject::connect(&title, &FormNetTitle::sendSortIndex, &form, &NetStateForm::recvSortIndex);
    auto* selector = title.findChild<QComboBox*>(QStringLiteral("sort_comboBox"));
    ASSERT_NE(selector, nullptr);

    form.refresh();
    form.handleMessage(reply(a, QStringLiteral("40000"), QStringLiteral("3725")));
    form.handleMessage(reply(b, QStringLiteral("40000"), QStringLiteral("59")));
    form.handleMessage(reply(d, QStringLiteral("40000"), QStringLiteral("100")));
    // Charlie never answered: its running time reads as -1.

    selector->setCurrentIndex(1);
    EXPECT_EQ(form.sortIndex(), 1);
    EXPECT_EQ(form.rowDevIds(), (QStringList{c, b, d, a}));
    selector->setCurrentIndex(2);
    EXPECT_EQ(form.rowDevIds(), (QStringList{a, d, b, c}));

    // Delta restarted and now ties with Bravo: the order shown before decides, not the name.
    form.handleMessage(reply(d, QStringLiteral("40000"), QStringLiteral("59")));
    form.refresh();
    EXPECT_EQ(form.rowDevIds(), (QStringList{a, d, b, c}));

    selector->setCurrentIndex(0);
    EXPECT_EQ(form.rowDevIds(), (QStringList{a, b, c, d}));
}

TEST_F(NetStateFormTest, DoubleClickOpensTheDeviceWindow)
{
    form.resize(900, 400);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.refresh();
    QSignalSpy open(&form, &NetStateForm::signal_showDevWindow);
    auto* list = form.findChild<QListWidget*>(QStringLiteral("listWidget"));
    ASSERT_NE(list, nullptr);
    list->doItemsLayout();
    const QRect rect = list->visualItemRect(list->item(1));
    ASSERT_TRUE(list->viewport()->rect().contains(rect.center())) << rect.y() << " " << rect.height();
    // A real double click: the first click selects, the second arrives as a double click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    ASSERT_EQ(open.count(), 1);
    EXPECT_EQ(open.first().at(0).toString(), b);

    form.on_listWidget_itemDoubleClicked(nullptr);
    EXPECT_EQ(open.count(), 1);
}

// The page as the main window builds it: the title bar over the state view, in one column.
class NetStatePageLayoutTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        dvm_resetForTest();
        routeuitest::announce(a, QStringLiteral("Alpha"), QStringLiteral("192.168.1.11"));
        ASSERT_EQ(store.addFromRegistry(a), DevDetailStore::Added);
        form->setChinese(false);
        form->setProbeOnRefresh(false);
        auto* layout = new QVBoxLayout(&page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(title);
        layout->addWidget(form, 1);
        page.resize(820, 400);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    }
    void TearDown() override { dvm_resetForTest(); }

    int leftInPage(QWidget* w) const { return w->mapTo(&page, QPoint(0, 0)).x(); }
    int rightInPage(QWidget* w) const { return w->mapTo(&page, QPoint(w->width(), 0)).x(); }

    const QString a = QStringLiteral("MRD-0001");
    DevDetailStore store{ModelTable::instance()};
    QWidget page;
    FormNetTitle* title = new FormNetTitle(&page);
    NetStateForm* form = new NetStateForm(store, ModelTable::instance(), &page);
};

TEST_F(NetStatePageLayoutTest, TitlesStandOverTheirColumnsEvenWithALongWarning)
{
    form->refresh();
    QCoreApplication::processEvents();
    NetStateItemForm* row = form->rowWidget(a);
    ASSERT_NE(row, nullptr);
    auto checkAligned = [&] {
        for (int c = 0; c < NetStateItemForm::VersionColumn; ++c) {
            QWidget* cell = row->cell(NetStateItemForm::Column(c));
            QWidget* head = title->titleLabel(c);
            ASSERT_NE(head, nullptr);
            EXPECT_EQ(leftInPage(cell), leftInPage(head)) << "column " << c;
            EXPECT_EQ(rightInPage(cell), rightInPage(head)) << "column " << c;
        }
        auto* selector = title->findChild<QComboBox*>(QStringLiteral("sort_comboBox"));
        EXPECT_EQ(leftInPage(row->cell(NetStateItemForm::VersionColumn)), leftInPage(selector));
    };
    checkAligned();
    const int typeLeft = leftInPage(row->cell(NetStateItemForm::TypeColumn));

    // Three unanswered polls: the long communication warning takes the name column's place.
    form->refresh();
    form->refresh();
    QCoreApplication::processEvents();
    const QString warning = QStringLiteral("Alpha communication is abnormal, please check the network connection");
    ASSERT_EQ(row->nameText(), warning);
    auto* nameLabel = row->cell(NetStateItemForm::NameColumn);
    EXPECT_EQ(leftInPage(row->cell(NetStateItemForm::TypeColumn)), typeLeft);
    checkAligned();
    // Cut to the column, whole in the tooltip.
    EXPECT_NE(nameLabel->text(), warning);
    EXPECT_TRUE(nameLabel->text().endsWith(QChar(0x2026)));
    EXPECT_LE(nameLabel->fontMetrics().horizontalAdvance(nameLabel->text()), nameLabel->width());
    EXPECT_EQ(nameLabel->toolTip(), warning);

    // A wider page gives the name column the room; the other columns keep their widths.
    const int typeWidth = row->cell(NetStateItemForm::TypeColumn)->width();
    page.resize(2400, 400);
    QCoreApplication::processEvents();
    checkAligned();
    EXPECT_EQ(row->cell(NetStateItemForm::TypeColumn)->width(), typeWidth);
    EXPECT_EQ(nameLabel->text(), warning);

    form->handleMessage(reply(a, QStringLiteral("40000"), QStringLiteral("5")));
    EXPECT_EQ(nameLabel->text(), QStringLiteral("Alpha"));
    EXPECT_TRUE(nameLabel->toolTip().isEmpty());
}

TEST_F(NetStatePageLayoutTest, RowsAreReusedAcrossRefreshesAndOrderChanges)
{
    routeuitest::announce(QStringLiteral("MRD-0002"), QStringLiteral("Bravo"), QStringLiteral("192.168.1.12"));
    ASSERT_EQ(store.addFromRegistry(QStringLiteral("MRD-0002")), DevDetailStore::Added);
    form->refresh();
    NetStateItemForm* first = form->rowWidget(a);
    NetStateItemForm* second = form->rowWidget(QStringLiteral("MRD-0002"));
    ASSERT_NE(first, nullptr);
    form->refresh();
    EXPECT_EQ(form->rowWidget(a), first);

    // A newcomer sorted first: the rows stay, their contents move down by one.
    routeuitest::announce(QStringLiteral("MRD-0000"), QStringLiteral("Aardvark"), QStringLiteral("192.168.1.10"));
    ASSERT_EQ(store.addFromRegistry(QStringLiteral("MRD-0000")), DevDetailStore::Added);
    form->refresh();
    EXPECT_EQ(form->rowDevIds(), (QStringList{QStringLiteral("MRD-0000"), a, QStringLiteral("MRD-0002")}));
    EXPECT_EQ(form->rowWidget(QStringLiteral("MRD-0000")), first);
    EXPECT_EQ(form->rowWidget(a), second);
    EXPECT_EQ(form->rowWidget(a)->fields().name, QStringLiteral("Alpha"));
    EXPECT_EQ(form->rowWidget(a)->fields().devId, a);
    auto* list = form->findChild<QListWidget*>(QStringLiteral("listWidget"));
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->data(Qt::UserRole).toString(), a);

    store.removeDevDetail(QStringLiteral("MRD-0000"));
    form->slot_removeDevId(QStringLiteral("MRD-0000"));
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(form->rowWidget(a)->fields().name, QStringLiteral("Alpha"));
    EXPECT_EQ(list->item(0)->data(Qt::UserRole).toString(), a);
}

} // namespace

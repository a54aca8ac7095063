#include "AddDevForm.h"

#include "AppState.h"
#include "FormAddDev.h"
#include "LoadingForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void widgetApp()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-test";
        static char* argv[] = {name, nullptr};
        // Never destroyed: tearing it down among the statics at exit crashes in the chart views' cleanup.
        new QApplication(argc, argv);
    }
}

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray typeJson(const char* model, const char* chDescribe, const char* enDescribe)
{
    return QByteArray(R"({"devModel":")") + model + R"(","chBrand":"麦瑞丹","enBrand":"Meridane","chDescribe":")" +
           chDescribe + R"(","enDescribe":")" + enDescribe + R"(","chNumRx":"16","chNumTx":"16"})";
}

class AddDevFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        widgetApp();
        AppState::setChinese(true);
        const QString r = m_dir.path();
        write(r + "/typeList.dt", R"([{"chTypeName":"音频接口","enTypeName":"Audio interfaces","dir":"io"},
                                    {"chTypeName":"数字信号处理器","enTypeName":"Processors","dir":"dsp"}])");
        write(r + "/io/devList.dt", R"([{"dir":"a16"},{"dir":"d8"}])");
        write(r + "/io/a16/config.dt", typeJson("MRD-A16", "舞台接口箱", "Stagebox"));
        write(r + "/io/d8/config.dt", typeJson("MRD-D8", "墙面面板", "Wall panel"));
        write(r + "/dsp/devList.dt", R"([{"dir":"m8"}])");
        write(r + "/dsp/m8/config.dt", typeJson("MRD-M8", "会议混音处理器", "Conference mixer"));
    }
    void TearDown() override { AppState::setChinese(true); }

    /// A dialog over the test catalogue, loaded; devices "added" through it are counted per model.
    std::unique_ptr<AddDevForm> open(const QString& root = QString())
    {
        auto form = std::make_unique<AddDevForm>(nullptr, root.isEmpty() ? m_dir.path() : root);
        form->setCountFunction([this](const QString& model) { return m_design.value(model); });
        QObject::connect(form.get(), &AddDevForm::signal_addDevice, [this](const OfflineDeviceType& type) {
            m_added.append(type);
            ++m_design[type.devModel];
        });
        const LoadingForm* veil = form->findChild<LoadingForm*>();
        EXPECT_TRUE(form->isLoading());
        EXPECT_EQ(veil->text(), AppState::pick("加载中...", "Loading..."));
        QApplication::processEvents();
        EXPECT_FALSE(form->isLoading());
        EXPECT_TRUE(veil->isHidden());
        return form;
    }

    static QStringList shown(const AddDevForm& form)
    {
        QStringList out;
        for (const FormAddDev* item : form.items())
            out.append(item->type().devModel);
        return out;
    }
    static QString label(const FormAddDev* item, const char* name) { return item->findChild<QLabel*>(name)->text(); }

    QTemporaryDir m_dir;
    QHash<QString, int> m_design;
    QVector<OfflineDeviceType> m_added;
};

TEST_F(AddDevFormTest, ListsCategoriesAndTheirTypesInTheInterfaceLanguage)
{
    for (const bool chinese : {true, false}) {
        AppState::setChinese(chinese);
        auto form = open();
        EXPECT_EQ(form->windowTitle(), AppState::pick("添加离线设备", "Add offline device"));
        const auto* categories = form->findChild<QListWidget*>("type_listWidget");
        ASSERT_EQ(categories->count(), 2);
        EXPECT_EQ(categories->item(1)->text(), chinese ? "数字信号处理器" : "Processors");
        EXPECT_EQ(form->currentCategory(), 0);
        EXPECT_EQ(shown(*form), (QStringList{"MRD-A16", "MRD-D8"}));
        const FormAddDev* a16 = form->items()[0];
        EXPECT_EQ(label(a16, "type_lab"), "MRD-A16");
        EXPECT_EQ(label(a16, "brand_lab"), chinese ? "麦瑞丹" : "Meridane");
        EXPECT_EQ(label(a16, "describe_lab"), chinese ? "舞台接口箱" : "Stagebox");
        form->selectCategory(1);
        EXPECT_EQ(shown(*form), QStringList{"MRD-M8"});
    }
}

TEST_F(AddDevFormTest, SearchFiltersOverEveryCategoryAndAnEmptyFieldReturnsToTheCategory)
{
    auto form = open();
    form->selectCategory(1);
    auto* edit = form->findChild<QLineEdit*>("lineEdit");
    auto* note = form->findChild<QLabel*>("note_lab");
    const struct
    {
        const char* text;
        QStringList expected;
    } cases[] = {
        {"mrd-", {"MRD-A16", "MRD-D8", "MRD-M8"}},
        {"面板", {"MRD-D8"}},
        {"conference", {"MRD-M8"}},
        {"nothing like it", {}},
        {"", {"MRD-M8"}}, // back to the chosen category
    };
    for (const auto& c : cases) {
        edit->setText(QString::fromUtf8(c.text));
        form->findChild<QPushButton*>("search_bt")->click();
        EXPECT_EQ(shown(*form), c.expected) << c.text;
        EXPECT_EQ(note->isHidden(), !c.expected.isEmpty()) << c.text;
    }
    EXPECT_EQ(form->currentCategory(), 1);
}

TEST_F(AddDevFormTest, AddEmitsTheItemsTypeAndItsCountFollowsTheDesign)
{
    m_design["MRD-D8"] = 2;
    auto form = open();
    ASSERT_EQ(form->items().size(), 2);
    EXPECT_EQ(label(form->items()[1], "count_lab"), "已添加 2 台");

    form->items()[1]->findChild<QPushButton*>("add_bt")->click();
    ASSERT_EQ(m_added.size(), 1);
    EXPECT_EQ(m_added[0].devModel, "MRD-D8");
    EXPECT_EQ(m_added[0].category, "io");
    EXPECT_EQ(m_added[0].chNumRx, 16);
    EXPECT_EQ(label(form->items()[1], "count_lab"), "已添加 3 台");
    EXPECT_EQ(label(form->items()[0], "count_lab"), "已添加 0 台");

    // A device removed elsewhere while the dialog was hidden shows when it opens again.
    m_design["MRD-D8"] = 0;
    form->show();
    EXPECT_EQ(label(form->items()[1], "count_lab"), "已添加 0 台");

    FormAddDev* a16 = form->items()[0];
    EXPECT_FALSE(a16->detailsShown());
    a16->findChild<QPushButton*>("detail_bt")->click();
    EXPECT_TRUE(a16->detailsShown());
    EXPECT_TRUE(label(a16, "detail_lab").contains("16")) << label(a16, "detail_lab").toStdString();
}

TEST_F(AddDevFormTest, UnreadableCatalogueShowsAnEmptyListWithANote)
{
    auto form = open(m_dir.path() + "/absent");
    EXPECT_TRUE(form->items().isEmpty());
    EXPECT_EQ(form->findChild<QListWidget*>("type_listWidget")->count(), 0);
    EXPECT_FALSE(form->findChild<QLabel*>("note_lab")->isHidden());
    EXPECT_EQ(form->findChild<QLabel*>("note_lab")->text(), "没有可添加的设备类型");
}

} // namespace

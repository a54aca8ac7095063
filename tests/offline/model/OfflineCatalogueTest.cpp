#include "OfflineCatalogue.h"

#include "ModelTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList g_log;

void recordMessage(QtMsgType, const QMessageLogContext&, const QString& msg)
{
    g_log.append(msg);
}

/// A catalogue in a fresh folder, written file by file.
class CatalogueDir
{
public:
    CatalogueDir() { EXPECT_TRUE(m_dir.isValid()); }
    QString root() const { return m_dir.path(); }
    QString path(const QString& rel) const { return m_dir.path() + QLatin1Char('/') + rel; }
    void write(const QString& rel, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(rel)).absolutePath());
        QFile f(path(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    /// A type folder with a config.dt of `model` and an icon.
    void type(const QString& category, const QString& dir, const QByteArray& model, const QByteArray& extra = {}) const
    {
        write(category + "/" + dir + "/config.dt",
              R"({"devModel":")" + model + R"(","chBrand":"麦瑞丹","enBrand":"Meridane","chNumRx":"8","chNumTx":8)" +
                  extra + "}");
        write(category + "/" + dir + "/icon.png", "png");
    }

private:
    QTemporaryDir m_dir;
};

QStringList models(const QVector<OfflineDeviceType>& types)
{
    QStringList out;
    for (const OfflineDeviceType& t : types)
        out.append(t.devModel);
    return out;
}

/// Two categories: one whose devList.dt is broken, one with a good type, a type without config.dt and one whose
/// config.dt is a folder (cannot be opened as a file).
void writeDamagedCatalogue(const CatalogueDir& d)
{
    d.write("typeList.dt", R"([{"chTypeName":"功放","enTypeName":"Amplifiers","dir":"amp"},
                             {"chTypeName":"音频接口","enTypeName":"Audio interfaces","dir":"io"}])");
    d.write("amp/devList.dt", R"([{"dir":"MRA-4"},)");
    d.type("amp", "MRA-4", "MRA-4");
    d.write("io/devList.dt", R"([{"dir":"A16"},{"dir":"missing"},{"dir":"folder"}])");
    d.type("io", "A16", "MRD-A16", R"(,"sampleRateList":["48000",96000,"x","-1"],"packetTimeList":["0.25"])");
    QDir().mkpath(d.path("io/missing"));
    QDir().mkpath(d.path("io/folder/config.dt"));
    d.write("icon/io.png", "png");
}

TEST(OfflineCatalogueTest, DamagedFilesAreLoggedAndSkippedWhileTheRestLoads)
{
    CatalogueDir d;
    writeDamagedCatalogue(d);
    g_log.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    OfflineCatalogue cat;
    const bool loaded = cat.load(d.root());
    qInstallMessageHandler(previous);

    ASSERT_TRUE(loaded);
    ASSERT_EQ(cat.categories().size(), 2) << "a category whose list is broken is still listed";
    EXPECT_EQ(cat.categories()[0].name(true), "功放");
    EXPECT_EQ(cat.categories()[0].name(false), "Amplifiers");
    EXPECT_TRUE(cat.categories()[0].types.isEmpty());
    EXPECT_TRUE(cat.categories()[0].iconPath.isEmpty());
    EXPECT_EQ(cat.categories()[1].iconPath, d.path("icon/io.png"));
    ASSERT_EQ(models(cat.categories()[1].types), QStringList{"MRD-A16"});
    const OfflineDeviceType& a16 = cat.categories()[1].types[0];
    EXPECT_EQ(a16.category, "io");
    EXPECT_EQ(a16.dir, "A16");
    EXPECT_EQ(a16.chNumRx, 8) << "counts as text";
    EXPECT_EQ(a16.chNumTx, 8) << "counts as numbers";
    EXPECT_EQ(a16.phyChNumRx, 0) << "absent counts are 0";
    EXPECT_EQ(a16.sampleRateList, (QStringList{"48000", "96000"})) << "entries that are no rate are dropped";
    EXPECT_EQ(a16.iconPath, d.path("io/A16/icon.png"));

    const QStringList expected = {"Failed to parse JSON: " + d.path("amp/devList.dt"),
                                  "Failed to open file: " + d.path("io/missing/config.dt"),
                                  "Failed to open file: " + d.path("io/folder/config.dt")};
    ASSERT_EQ(cat.warnings().size(), expected.size()) << cat.warnings().join('\n').toStdString();
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(cat.warnings()[i].startsWith(expected[i])) << cat.warnings()[i].toStdString();
        EXPECT_TRUE(g_log.filter(expected[i]).size() == 1) << "logged: " << expected[i].toStdString();
    }
}

struct BadType
{
    const char* name;
    std::function<void(const CatalogueDir&)> write;
    const char* warning;
};

class OfflineCatalogueBadTypeTest : public ::testing::TestWithParam<BadType>
{
};

TEST_P(OfflineCatalogueBadTypeTest, TheBadTypeIsSkippedAndItsNeighbourLoads)
{
    CatalogueDir d;
    d.write("typeList.dt", R"([{"chTypeName":"网络","enTypeName":"Network","dir":"net"}])");
    d.write("net/devList.dt", R"([{"dir":"bad"},{"dir":"good"}])");
    d.type("net", "good", "MRN-3");
    GetParam().write(d);
    OfflineCatalogue cat;
    ASSERT_TRUE(cat.load(d.root()));
    EXPECT_EQ(models(cat.allTypes()), QStringList{"MRN-3"});
    ASSERT_EQ(cat.warnings().size(), 1);
    EXPECT_TRUE(cat.warnings()[0].contains(GetParam().warning)) << cat.warnings()[0].toStdString();
}

void badConfig(const CatalogueDir& d, const QByteArray& json)
{
    d.write("net/bad/config.dt", json);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OfflineCatalogueBadTypeTest,
    ::testing::Values(
        BadType{"tooLarge",
                [](const CatalogueDir& d) {
                    badConfig(d, R"({"devModel":"MRD-A16","chDescribe":")" +
                                     QByteArray(OfflineCatalogue::kMaxFileBytes, 'x') + "\"}");
                },
                "File too large"},
        BadType{"array", [](const CatalogueDir& d) { badConfig(d, R"(["MRD-A16"])"); }, "no usable \"devModel\""},
        BadType{"noModel", [](const CatalogueDir& d) { badConfig(d, R"({"chNumRx":"2"})"); }, "devModel"},
        BadType{"negative", [](const CatalogueDir& d) { badConfig(d, R"({"devModel":"X","chNumTx":"-1"})"); },
                "\"chNumTx\" is not a count"},
        BadType{"huge", [](const CatalogueDir& d) { badConfig(d, R"({"devModel":"X","usbInNum":"100000"})"); },
                "\"usbInNum\" is not a count"},
        BadType{"text", [](const CatalogueDir& d) { badConfig(d, R"({"devModel":"X","phyChNumRx":"many"})"); },
                "\"phyChNumRx\" is not a count"},
        BadType{"escapes",
                [](const CatalogueDir& d) { d.write("net/devList.dt", R"([{"dir":"../net/good"},{"dir":"good"}])"); },
                "unusable or repeated"},
        BadType{"repeated",
                [](const CatalogueDir& d) { d.write("net/devList.dt", R"([{"dir":"good"},{"dir":"good"}])"); },
                "unusable or repeated"}),
    [](const ::testing::TestParamInfo<BadType>& info) { return info.param.name; });

TEST(OfflineCatalogueTest, UnusableTypeListLeavesAnEmptyCatalogue)
{
    const QByteArray cases[] = {"", "{\"dir\":\"x\"}", "[{\"dir\":"};
    for (const QByteArray& text : cases) {
        CatalogueDir d;
        d.write("typeList.dt", text);
        OfflineCatalogue cat;
        EXPECT_FALSE(cat.load(d.root())) << text.constData();
        EXPECT_TRUE(cat.categories().isEmpty());
        EXPECT_TRUE(cat.warnings().value(0).startsWith("Failed to parse JSON: " + d.path("typeList.dt")));
    }
    OfflineCatalogue cat;
    EXPECT_FALSE(cat.load(QStringLiteral("/nonexistent/offlineConfig")));
    EXPECT_TRUE(cat.warnings().value(0).startsWith("Failed to open file: /nonexistent/offlineConfig/typeList.dt"));
}

TEST(OfflineCatalogueTest, CategoryCountIsBounded)
{
    CatalogueDir d;
    QByteArray list = "[";
    for (int i = 0; i < OfflineCatalogue::kMaxCategories + 3; ++i)
        list += (i ? "," : "") + QByteArray(R"({"chTypeName":"c","dir":"c)") + QByteArray::number(i) + "\"}";
    d.write("typeList.dt", list + "]");
    OfflineCatalogue cat;
    ASSERT_TRUE(cat.load(d.root()));
    EXPECT_EQ(cat.categories().size(), OfflineCatalogue::kMaxCategories);
    EXPECT_TRUE(cat.warnings().last().startsWith("Too many categories"));
}

TEST(OfflineCatalogueTest, SearchMatchesModelBrandAndDescriptionInEitherLanguage)
{
    CatalogueDir d;
    d.write("typeList.dt", R"([{"chTypeName":"处理器","dir":"p"},{"chTypeName":"功放","dir":"a"}])");
    d.write("p/devList.dt", R"([{"dir":"m8"},{"dir":"p64"}])");
    d.write("a/devList.dt", R"([{"dir":"a4"}])");
    d.type("p", "m8", "MRD-M8", R"(,"chDescribe":"会议混音，回声消除","enDescribe":"Echo cancelling mixer")");
    d.type("p", "p64", "MRD-P64", R"(,"enDescribe":"Matrix processor","oemModel":"OEM-77")");
    d.type("a", "a4", "MRA-4", R"(,"chBrand":"其他","enBrand":"Other","chDescribe":"四通道功放")");
    OfflineCatalogue cat;
    ASSERT_TRUE(cat.load(d.root()));
    const struct
    {
        const char* text;
        QStringList expected;
    } cases[] = {
        {"", {"MRD-M8", "MRD-P64", "MRA-4"}},
        {"  ", {"MRD-M8", "MRD-P64", "MRA-4"}},
        {"mrd-", {"MRD-M8", "MRD-P64"}},
        {" p64 ", {"MRD-P64"}},
        {"ECHO", {"MRD-M8"}},
        {"回声", {"MRD-M8"}},
        {"功放", {"MRA-4"}},
        {"other", {"MRA-4"}},
        {"麦瑞丹", {"MRD-M8", "MRD-P64"}},
        {"oem-7", {"MRD-P64"}},
        {"zzz", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(models(cat.search(QString::fromUtf8(c.text))), c.expected) << c.text;
    ASSERT_NE(cat.findModel("MRA-4"), nullptr);
    EXPECT_EQ(cat.findModel("MRA-4")->category, "a");
    EXPECT_EQ(cat.findModel("MRA"), nullptr);
}

TEST(OfflineCatalogueTest, ShippedCatalogueLoadsWholeAndCoversTheModelTable)
{
    const QString root = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../../resources/offlineConfig";
    OfflineCatalogue cat;
    ASSERT_TRUE(cat.load(root));
    EXPECT_TRUE(cat.warnings().isEmpty()) << cat.warnings().join('\n').toStdString();
    ASSERT_GE(cat.categories().size(), 5);
    const ModelTable& table = ModelTable::instance();
    QStringList seen;
    for (const OfflineCategory& c : cat.categories()) {
        EXPECT_FALSE(c.chName.isEmpty() || c.enName.isEmpty()) << c.dir.toStdString();
        EXPECT_FALSE(c.iconPath.isEmpty()) << c.dir.toStdString();
        EXPECT_FALSE(c.types.isEmpty()) << c.dir.toStdString();
        for (const OfflineDeviceType& t : c.types) {
            const std::string m = t.devModel.toStdString();
            EXPECT_TRUE(table.models().contains(t.devModel)) << m << " is not in the model table";
            EXPECT_FALSE(t.iconPath.isEmpty()) << m;
            EXPECT_FALSE(t.chBrand.isEmpty() || t.enBrand.isEmpty() || t.chDescribe.isEmpty() || t.enDescribe.isEmpty())
                << m;
            EXPECT_GT(t.chNumRx + t.chNumTx, 0) << m;
            EXPECT_TRUE(t.sampleRateList.contains("48000")) << m;
            EXPECT_TRUE(t.packetTimeList.contains("0.25")) << m;
            seen.append(t.devModel);
        }
    }
    for (const QString& model : table.models())
        EXPECT_TRUE(seen.contains(model)) << model.toStdString() << " has no catalogue type";
}

} // namespace

// Stored programs without windows: the name rule, the list's refusals, the files, the channel check and the
// conversion of older program forms.
#include "ChannelProgram.h"
#include "DspTestConfig.h"
#include "ProgramConverter.h"
#include "ProgramFile.h"
#include "ProgramList.h"
#include "ProgramName.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dsptest;

namespace {

/// A configuration of the current form ("version" 4).
QJsonObject current(QJsonObject c)
{
    c.insert("version", "4");
    return c;
}

QJsonObject small(int in = 4, int out = 2)
{
    return current(config({channelNode(in), matrixNode(out, in), channelNode(out)}));
}

QByteArray bytes(const QJsonValue& v)
{
    return v.isArray() ? QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact)
                       : QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
}

} // namespace

TEST(ProgramName, TheRule)
{
    using P = ProgramName::Problem;
    const struct
    {
        QString name;
        P problem;
    } cases[] = {
        {"Stage_A-2", P::None},
        {"a", P::None},
        {"0", P::None},
        {"-", P::None},
        {QString(40, 'x'), P::None},
        {QString(41, 'x'), P::TooLong},
        {"", P::Empty},
        {"with space", P::BadCharacter},
        {" lead", P::BadCharacter},
        {"dot.dt", P::BadCharacter},
        {"名字", P::BadCharacter},
        {"é", P::BadCharacter},
        {"a/b", P::BadCharacter},
        {"tab\t", P::BadCharacter},
        {QString(41, ' '), P::TooLong}, // length is told first
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgramName::check(c.name), c.problem) << c.name.toStdString();
        EXPECT_EQ(ProgramName::text(c.problem).isEmpty(), c.problem == P::None);
    }
    EXPECT_EQ(ProgramName::text(P::TooLong), QStringLiteral("程式名不能超过40个字符"));
}

TEST(ProgramList, RefusalsByIndex)
{
    ProgramList list;
    list.setNames({"default", "A", "B"});
    list.setCurrent("B");
    const QString select = "请选择";
    struct Case
    {
        int index;
        const char* save;
        const char* load;
        const char* del;
        const char* exp;
    } cases[] = {
        {-1, "请选择要保存的程式序号", "请选择要加载的程式序号", "请选择要删除的程式序号", "请选择要导出的程式序号"},
        {0, "系统默认程式不能修改", "", "系统默认程式不能删除", "系统默认程式不能导出"},
        {1, "", "", "", ""},
        {2, "", "", "不能删除当前使用的程式", ""},
        {3, "", "请选择存在的程式序号", "请选择存在的程式序号", "请选择存在的程式序号"},
        {19, "", "请选择存在的程式序号", "请选择存在的程式序号", "请选择存在的程式序号"},
        {20, "请选择要保存的程式序号", "请选择要加载的程式序号", "请选择要删除的程式序号", "请选择要导出的程式序号"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list.refuseSave(c.index), QString::fromUtf8(c.save)) << c.index;
        EXPECT_EQ(list.refuseLoad(c.index), QString::fromUtf8(c.load)) << c.index;
        EXPECT_EQ(list.refuseDelete(c.index), QString::fromUtf8(c.del)) << c.index;
        EXPECT_EQ(list.refuseExport(c.index), QString::fromUtf8(c.exp)) << c.index;
        EXPECT_EQ(list.refuseImport(c.index).isEmpty(), c.index > 0 && c.index < 20) << c.index;
    }
    EXPECT_EQ(list.exportable(), QStringList({"A", "B"}));
}

TEST(ProgramList, ALongListIsCutAtTwentySlots)
{
    QStringList names;
    for (int i = 0; i < 30; ++i)
        names << QString("P%1").arg(i);
    ProgramList list;
    list.setNames(names);
    EXPECT_EQ(list.count(), ProgramList::kSlots);
    EXPECT_EQ(list.nameAt(19), "P19");
    EXPECT_EQ(list.nameAt(20), "");
    EXPECT_EQ(list.exportable().size(), 19);
}

TEST(ProgramRequests, KeysAsTheDeviceReadsThem)
{
    const struct
    {
        QJsonObject request;
        const char* text;
    } cases[] = {
        {ProgramRequests::getConfigNameArr(), R"({"ops":"getConfigNameArr","uiTag":"dspUiTag"})"},
        {ProgramRequests::saveToFile("N", ""), R"({"name":"N","oldName":"","ops":"saveToFile","uiTag":"dspUiTag"})"},
        {ProgramRequests::loadFromFile("N"), R"({"name":"N","ops":"loadFromFile","uiTag":"dspUiTag"})"},
        {ProgramRequests::loadFromFactory(), R"({"ops":"loadFromFactory","uiTag":"dspUiTag"})"},
        {ProgramRequests::deleteFile("N"), R"({"isUser":"1","name":"N","ops":"deleteFile","uiTag":"dspUiTag"})"},
        {ProgramRequests::getConfigByName("N", "export"),
         R"({"name":"N","ops":"getConfigByName","subTag":"export","uiTag":"dspUiTag"})"},
        {ProgramRequests::saveConfigToFile("N", QJsonObject{{"version", "4"}}, ""),
         R"({"config":{"version":"4"},"name":"N","ops":"saveConfigToFile","uiTag":"dspUiTag"})"},
        {ProgramRequests::saveConfigToFile("N", QJsonObject(), "importAll"),
         R"({"config":{},"name":"N","ops":"saveConfigToFile","subTag":"importAll","uiTag":"dspUiTag"})"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bytes(c.request), QByteArray(c.text));
}

TEST(ProgramReplies, LoadFailures)
{
    const struct
    {
        const char* reason;
        const char* shown;
    } cases[] = {
        {"sample rate mismatch", "请检查配置采样率是否匹配"},
        {"Sample Rate Mismatch", "请检查配置采样率是否匹配"},
        {"sampleRate", "请检查配置采样率是否匹配"},
        {"采样率不匹配", "请检查配置采样率是否匹配"},
        {"old version", "该配置为旧版本，不能加载，可以转换为新版本后再导入"},
        {"", "加载失败"},
        {"unknown name", "加载失败: unknown name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramReplies::loadFailure(c.reason), QString::fromUtf8(c.shown)) << c.reason;
    EXPECT_EQ(ProgramReplies::withReason("x", QString(500, 'r')).size(), 3 + 200) << "a device's text is cut";
}

TEST(ProgramBatch, RepliesMatchedByNameOrInOrder)
{
    ProgramBatch b;
    EXPECT_FALSE(b.active());
    b.start({"A", "B", "C"});
    EXPECT_TRUE(b.accept("B", QJsonObject{{"v", "b"}}));
    EXPECT_FALSE(b.accept("B", QJsonObject{{"v", "again"}})) << "the same program twice";
    EXPECT_FALSE(b.accept("Z", QJsonObject())) << "a program not asked for";
    EXPECT_TRUE(b.accept("", QJsonObject{{"v", "a"}})) << "unnamed: the first still missing";
    EXPECT_FALSE(b.complete());
    EXPECT_TRUE(b.accept("C", QJsonObject{{"v", "c"}}));
    EXPECT_TRUE(b.complete());
    EXPECT_FALSE(b.accept("", QJsonObject()));
    const QVector<ProgramFile::Program> p = b.programs();
    ASSERT_EQ(p.size(), 3);
    EXPECT_EQ(p[0].name, "A");
    EXPECT_EQ(p[0].config.value("v").toString(), "a");
    EXPECT_EQ(p[1].config.value("v").toString(), "b");
    b.clear();
    EXPECT_FALSE(b.complete());
}

TEST(ProgramFile, ReadOneProgram)
{
    using E = ProgramFile::Error;
    const QJsonObject c = small();
    const struct
    {
        const char* what;
        QByteArray file;
        E error;
    } cases[] = {
        {"as exported", ProgramFile::writeProgram(c), E::None},
        {"a whole reply", bytes(QJsonObject{{"ops", "getConfigByName"}, {"config", c}}), E::None},
        {"an older program", R"({"version":"2","msgJson":"{}"})", E::None},
        {"not JSON", "{\"nodeArr\":", E::Parse},
        {"empty", "", E::Parse},
        {"binary", QByteArray("\x00\x01\xff", 3), E::Parse},
        {"a member repeated with containers", R"({"nodeArr":[{},{},{}],"nodeArr":[{},{},{}]})", E::Parse},
        {"an array", "[1,2]", E::NotConfig},
        {"no nodes", R"({"version":"4"})", E::NotConfig},
        {"two nodes", R"({"nodeArr":[{},{}]})", E::NotConfig},
        {"a node not an object", R"({"nodeArr":[{},{},3]})", E::NotConfig},
        {"config not an object", R"({"config":"x"})", E::NotConfig},
    };
    for (const auto& k : cases) {
        const ProgramFile::ReadOne r = ProgramFile::readProgram(k.file);
        EXPECT_EQ(r.error, k.error) << k.what;
        EXPECT_EQ(r.config.isEmpty(), k.error != E::None) << k.what;
    }
    EXPECT_EQ(ProgramFile::readProgram(ProgramFile::writeProgram(c)).config, c);
}

TEST(ProgramFile, ReadList)
{
    using E = ProgramFile::Error;
    const QJsonObject c = small();
    QVector<ProgramFile::Program> many;
    for (int i = 0; i < ProgramFile::kMaxListEntries + 1; ++i)
        many.append({QString("P%1").arg(i), c});
    const struct
    {
        const char* what;
        QByteArray file;
        E error;
        int bad;
        int count;
    } cases[] = {
        {"as exported", ProgramFile::writeList({{"A", c}, {"b-2", c}}), E::None, -1, 2},
        {"a bare array", bytes(QJsonArray{QJsonObject{{"name", "A"}, {"config", c}}}), E::None, -1, 1},
        {"nineteen", ProgramFile::writeList(many.mid(0, 19)), E::None, -1, 19},
        {"twenty", ProgramFile::writeList(many), E::BadEntry, 19, 0},
        {"no entries", ProgramFile::writeList({}), E::NoPrograms, -1, 0},
        {"an empty array", "[]", E::NoPrograms, -1, 0},
        {"not JSON", "[{", E::Parse, -1, 0},
        {"a member repeated with containers", R"({"programArr":[],"programArr":[]})", E::Parse, -1, 0},
        {"a single program", ProgramFile::writeProgram(c), E::NotConfig, -1, 0},
        {"a bad name", ProgramFile::writeList({{"A", c}, {"with space", c}}), E::BadEntry, 1, 0},
        {"no config", bytes(QJsonArray{QJsonObject{{"name", "A"}}}), E::BadEntry, 0, 0},
        {"an entry not an object", "[3]", E::BadEntry, 0, 0},
    };
    for (const auto& k : cases) {
        const ProgramFile::ReadAll r = ProgramFile::readList(k.file);
        EXPECT_EQ(r.error, k.error) << k.what;
        EXPECT_EQ(r.badEntry, k.bad) << k.what;
        EXPECT_EQ(r.programs.size(), k.count) << k.what;
    }
    const ProgramFile::ReadAll back = ProgramFile::readList(ProgramFile::writeList({{"A", c}, {"B", small(2, 2)}}));
    ASSERT_EQ(back.programs.size(), 2);
    EXPECT_EQ(back.programs[1].name, "B");
    EXPECT_EQ(back.programs[1].config, small(2, 2));
}

TEST(ProgramFile, EveryCutAndCorruptionOfAFileIsRefusedOrRead)
{
    QJsonObject old = small(2, 2);
    old.insert("version", "2");
    const QByteArray whole = ProgramFile::writeList({{"A", small(2, 2)}, {"B", old}});
    int read = 0;
    for (int cut = 0; cut < whole.size(); ++cut) {
        for (const QByteArray& text : {whole.left(cut), QByteArray(whole).replace(cut, 1, "\"\x01")}) {
            const ProgramFile::ReadAll r = ProgramFile::readList(text);
            EXPECT_EQ(r.error == ProgramFile::Error::None, !r.programs.isEmpty());
            for (const ProgramFile::Program& p : r.programs) {
                ++read;
                EXPECT_TRUE(ProgramName::isValid(p.name));
                ProgramConverter::convert(p.config); // any outcome, never a crash
            }
            ProgramFile::readProgram(text);
        }
    }
    EXPECT_GT(read, 0) << "some corruptions still leave a list";
}

TEST(ProgramFile, FilesWrittenWholeAndReadBounded)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("p.dt");
    ASSERT_TRUE(ProgramFile::writeFile(path, "first"));
    ASSERT_TRUE(ProgramFile::writeFile(path, "second"));
    QByteArray got;
    EXPECT_EQ(ProgramFile::readFile(path, &got), ProgramFile::Error::None);
    EXPECT_EQ(got, "second");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"p.dt"})) << "no temporary file left";

    EXPECT_FALSE(ProgramFile::writeFile(dir.filePath("missing/p.dt"), "x"));
    EXPECT_FALSE(ProgramFile::writeFile("", "x"));
    EXPECT_EQ(ProgramFile::readFile(dir.filePath("none.dt"), &got), ProgramFile::Error::Open);
    EXPECT_EQ(ProgramFile::readFile(dir.path(), &got), ProgramFile::Error::Open) << "a folder";
    EXPECT_EQ(ProgramFile::readFile("", &got), ProgramFile::Error::Open);

    QFile big(dir.filePath("big.dt"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(ProgramFile::kMaxFileBytes + 1)); // sparse
    big.close();
    EXPECT_EQ(ProgramFile::readFile(big.fileName(), &got), ProgramFile::Error::Open);
}

TEST(ProgramFile, ChannelCheck)
{
    const struct
    {
        const char* what;
        QJsonObject config;
        int in;
        int out;
        bool fits;
    } cases[] = {
        {"same", small(4, 2), 4, 2, true},
        {"one input more", small(5, 2), 4, 2, false},
        {"one output fewer", small(4, 1), 4, 2, false},
        {"swapped", small(2, 4), 4, 2, false},
        {"no nodes", QJsonObject(), 0, 0, false},
        {"inputs only", config({channelNode(4)}), 4, -1, false},
        {"with AEC and automixer nodes",
         config({channelNode(4), aecNode(4), automixerNode({}), matrixNode(2, 6), channelNode(2)}), 4, 2, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramFile::fitsDevice(c.config, c.in, c.out), c.fits) << c.what;

    // The two lists of a node must agree.
    QJsonObject odd = small(4, 2);
    QJsonArray nodes = odd.value("nodeArr").toArray();
    QJsonObject first = nodes[0].toObject();
    QJsonArray comm = first.value("commArr").toArray();
    comm.removeLast();
    first.insert("commArr", comm);
    nodes[0] = first;
    odd.insert("nodeArr", nodes);
    EXPECT_EQ(ProgramFile::channelsOf(odd).inputs, -1);
    EXPECT_FALSE(ProgramFile::fitsDevice(odd, 3, 2));
    EXPECT_FALSE(ProgramFile::fitsDevice(odd, 4, 2));
}

// ---- Conversion ---------------------------------------------------------------------------------------------

namespace {

/// `c` as older firmware kept it: numbers and flags bare, the automixer's trigger under its old key.
QJsonValue aged(const QJsonValue& v)
{
    if (v.isArray()) {
        QJsonArray a;
        for (const QJsonValue& x : v.toArray())
            a.append(aged(x));
        return a;
    }
    if (v.isObject()) {
        QJsonObject o;
        const QJsonObject in = v.toObject();
        for (auto it = in.begin(); it != in.end(); ++it)
            o.insert(it.key() == "trigDb" ? QString("triggerDb") : it.key(), aged(it.value()));
        return o;
    }
    if (v.isString()) {
        bool ok = false;
        const double d = v.toString().toDouble(&ok);
        if (ok && v.toString() == QString::number(d, 'g', 6))
            return d;
    }
    return v;
}

QJsonObject withAutomixer()
{
    return current(config({channelNode(4), automixerNode({"5", "0x10"}), matrixNode(2, 5), channelNode(2)}));
}

} // namespace

TEST(ProgramConverter, OlderFormsBecomeTheCurrentOne)
{
    using O = ProgramConverter::Outcome;
    const QJsonObject current = withAutomixer();
    QJsonObject v2 = aged(current).toObject();
    v2.insert("version", "2");
    QJsonObject wrapped{{"version", "3"}, {"msgJson", QString::fromUtf8(bytes(current))}};
    QJsonObject wrappedReply{{"version", "1"},
                             {"msgJson", QString::fromUtf8(bytes(QJsonObject{{"config", aged(current)}}))}};
    QJsonObject wrappedObject{{"msgJson", current}};
    QJsonObject v3 = current;
    v3.insert("version", "3");
    QJsonObject bothKeys = current;
    {
        QJsonArray nodes = bothKeys.value("nodeArr").toArray();
        QJsonObject mix = nodes[1].toObject();
        QJsonObject obj = mix.value("obj").toObject();
        obj.insert("triggerDb", "-99");
        mix.insert("obj", obj);
        nodes[1] = mix;
        bothKeys.insert("nodeArr", nodes);
    }
    const struct
    {
        const char* what;
        QJsonObject in;
        O outcome;
    } cases[] = {
        {"current", current, O::NotNeeded},
        {"aged numbers and trigger key", v2, O::Converted},
        {"only an older version", v3, O::Converted},
        {"configuration text in msgJson", wrapped, O::Converted},
        {"a whole reply in msgJson", wrappedReply, O::Converted},
        {"msgJson as an object", wrappedObject, O::Converted},
        {"both trigger keys: the current wins", bothKeys, O::Converted},
        {"newer", QJsonObject{{"version", "5"}, {"nodeArr", QJsonArray()}}, O::WrongVersion},
        {"not a number", QJsonObject{{"version", "4b"}}, O::WrongVersion},
        {"negative", QJsonObject{{"version", "-1"}}, O::WrongVersion},
        {"unreadable msgJson", QJsonObject{{"version", "2"}, {"msgJson", "{nodeArr"}}, O::Failed},
        {"msgJson a number", QJsonObject{{"version", "2"}, {"msgJson", 7}}, O::Failed},
        {"msgJson repeating a member", QJsonObject{{"version", "2"}, {"msgJson", R"({"nodeArr":[],"nodeArr":[]})"}},
         O::Failed},
        {"old but no nodes", QJsonObject{{"version", "2"}, {"customStr", "x"}}, O::Failed},
        {"no version at all and no nodes", QJsonObject{{"customStr", "x"}}, O::Failed},
    };
    for (const auto& c : cases) {
        const ProgramConverter::Result r = ProgramConverter::convert(c.in);
        EXPECT_EQ(r.outcome, c.outcome) << c.what;
        EXPECT_EQ(ProgramConverter::text(c.outcome).isEmpty(), c.outcome == O::Converted);
        if (c.outcome != O::Converted) {
            EXPECT_EQ(r.config, c.in) << c.what << ": left as given";
            continue;
        }
        EXPECT_FALSE(ProgramConverter::needsConversion(r.config)) << c.what;
        EXPECT_EQ(differences(current, r.config), QStringList()) << c.what;
    }
    EXPECT_EQ(ProgramConverter::text(O::Failed), "Convert Failed!");
    EXPECT_EQ(ProgramConverter::text(O::WrongVersion), "Wrong Version!");
    EXPECT_EQ(ProgramConverter::text(O::NotNeeded), QStringLiteral("该配置不需要转换"));
}

TEST(ProgramConverter, NumbersBecomeTextAsTheWriterWritesThem)
{
    QJsonObject c = small(2, 2);
    c.insert("customStr", QJsonObject{{"i", 3}, {"f", 0.1 + 0.2}, {"big", 1e20}, {"neg", -2.5}, {"t", true}});
    const ProgramConverter::Result r = ProgramConverter::convert(c);
    ASSERT_EQ(r.outcome, ProgramConverter::Outcome::Converted);
    const QJsonObject o = r.config.value("customStr").toObject();
    EXPECT_EQ(o.value("i").toString(), "3");
    EXPECT_EQ(o.value("f").toString(), "0.3");
    EXPECT_EQ(o.value("big").toString(), "1e+20");
    EXPECT_EQ(o.value("neg").toString(), "-2.5");
    EXPECT_EQ(o.value("t").toString(), "1");
}

TEST(ProgramConverter, DepthBounded)
{
    QJsonValue deep = QJsonValue(1);
    for (int i = 0; i < ProgramConverter::kMaxDepth + 5; ++i)
        deep = QJsonArray{deep};
    QJsonObject c = small(2, 2);
    c.insert("version", "2");
    c.insert("customStr", deep);
    EXPECT_EQ(ProgramConverter::convert(c).outcome, ProgramConverter::Outcome::Failed);
}

TEST(ProgramConverter, Versions)
{
    const struct
    {
        QJsonValue v;
        int version;
    } cases[] = {{QJsonValue(QJsonValue::Undefined), 0},
                 {"", 0},
                 {" 3 ", 3},
                 {"4", 4},
                 {3, 3},
                 {3.5, -1},
                 {"x", -1},
                 {-2, -1},
                 {"99999999999", -1},
                 {QJsonValue(QJsonValue::Null), 0}};
    for (const auto& c : cases) {
        QJsonObject o;
        if (!c.v.isUndefined())
            o.insert("version", c.v);
        EXPECT_EQ(ProgramConverter::versionOf(o), c.version) << bytes(o).constData();
    }
}

// ---- Channel programs ---------------------------------------------------------------------------------------

TEST(ChannelProgram, TakenFromAConfigurationAndChecked)
{
    const QJsonObject c = current(
        config({channelNode(3, {QJsonArray{block(0, QJsonObject{{"x", "1"}})}}), matrixNode(2, 3), channelNode(2)}));
    const QJsonObject in0 = ChannelProgram::fromConfig(c, true, 0);
    EXPECT_TRUE(ChannelProgram::problem(in0).isEmpty());
    EXPECT_TRUE(ChannelProgram::isInput(in0));
    EXPECT_EQ(in0.value("port").toObject().value("procArr").toArray().size(), 1);
    const QJsonObject out1 = ChannelProgram::fromConfig(c, false, 1);
    EXPECT_FALSE(ChannelProgram::isInput(out1));
    EXPECT_EQ(out1.value("comm"), c.value("nodeArr").toArray()[2].toObject().value("commArr").toArray()[1]);
    EXPECT_TRUE(ChannelProgram::fromConfig(c, false, 2).isEmpty());
    EXPECT_TRUE(ChannelProgram::fromConfig(c, true, -1).isEmpty());
    EXPECT_TRUE(ChannelProgram::fromConfig(QJsonObject(), true, 0).isEmpty());

    QJsonArray many;
    for (int i = 0; i <= ChannelProgram::kMaxBlocks; ++i)
        many.append(QJsonObject());
    const struct
    {
        const char* what;
        QJsonObject program;
        bool ok;
    } cases[] = {
        {"taken", in0, true},
        {"no side", QJsonObject{{"comm", QJsonObject()}, {"port", QJsonObject{{"procArr", QJsonArray()}}}}, false},
        {"side up",
         QJsonObject{{"side", "up"}, {"comm", QJsonObject()}, {"port", QJsonObject{{"procArr", QJsonArray()}}}}, false},
        {"no comm", QJsonObject{{"side", "in"}, {"port", QJsonObject{{"procArr", QJsonArray()}}}}, false},
        {"no chain", QJsonObject{{"side", "in"}, {"comm", QJsonObject()}, {"port", QJsonObject()}}, false},
        {"a block not an object",
         QJsonObject{{"side", "in"}, {"comm", QJsonObject()}, {"port", QJsonObject{{"procArr", QJsonArray{1}}}}},
         false},
        {"too many blocks",
         QJsonObject{{"side", "out"}, {"comm", QJsonObject()}, {"port", QJsonObject{{"procArr", many}}}}, false},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(ChannelProgram::problem(k.program).isEmpty(), k.ok) << k.what;
        const ChannelProgram::Read r = ChannelProgram::read(ProgramFile::writeProgram(k.program));
        EXPECT_EQ(r.error, k.ok ? ProgramFile::Error::None : ProgramFile::Error::NotConfig) << k.what;
    }
    EXPECT_EQ(ChannelProgram::read("{").error, ProgramFile::Error::Parse);
    EXPECT_EQ(ChannelProgram::read("[]").error, ProgramFile::Error::NotConfig);
    EXPECT_EQ(ChannelProgram::read(bytes(QJsonObject{{"config", in0}})).program, in0) << "a whole reply";
}

TEST(ChannelProgramRequests, KeysAsTheDeviceReadsThem)
{
    const struct
    {
        QJsonObject request;
        const char* text;
    } cases[] = {
        {ChannelProgramRequests::getNameArr(), R"({"ops":"getChConfigNameArr","uiTag":"dspUiTag"})"},
        {ChannelProgramRequests::save("N", "", true, 3),
         R"({"ch":"3","isInput":"1","name":"N","oldName":"","ops":"saveChConfig","uiTag":"dspUiTag"})"},
        {ChannelProgramRequests::rename("N", "O"),
         R"({"name":"N","oldName":"O","ops":"renameChConfig","uiTag":"dspUiTag"})"},
        {ChannelProgramRequests::remove("N"), R"({"name":"N","ops":"deleteChConfig","uiTag":"dspUiTag"})"},
        {ChannelProgramRequests::load("N", false, 0),
         R"({"ch":"0","isInput":"0","name":"N","ops":"loadChConfig","uiTag":"dspUiTag"})"},
        {ChannelProgramRequests::getByName("N"), R"({"name":"N","ops":"getChConfigByName","uiTag":"dspUiTag"})"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bytes(c.request), QByteArray(c.text));
}

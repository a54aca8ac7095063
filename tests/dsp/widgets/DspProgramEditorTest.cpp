// The program page in the processor dialog, against a small fake processor that answers its requests: the list,
// the name rule before sending, program 0, single and whole-list export and import (files, channel check,
// conversion of older programs), load failures and the remembered folders.
#include "DspWidgetTestSupport.h"

#include "ChannelItemForm.h"
#include "ChannelProgram.h"
#include "ChannelProgramForm.h"
#include "DspDiagramForm.h"
#include "DspProgramForm.h"
#include "IniFile.h"
#include "ManageProgramForm.h"
#include "ProgramFile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>

// Readable failures.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace dsptest;

namespace {

constexpr int kChannels = 4; // the test device: 2 + 2 inputs, 2 + 2 outputs

QJsonObject configOf(const QString& text)
{
    return parse(text).value("config").toObject();
}

/// A configuration for the test device, told apart by its custom text.
QJsonObject programConfig(const QString& tag, int in = kChannels, int out = kChannels)
{
    QJsonObject c = configOf(configReply(in, out));
    c.insert("customStr", tag);
    return c;
}

/// The processor's side of the program requests, as the tests need it.
struct FakeProcessor
{
    QStringList names{"default"};
    QMap<QString, QJsonObject> configs;
    QString current = "default";
    QString loadRefusal;   ///< a reason to refuse every load with
    QString importRefusal; ///< a reason to refuse every saveConfigToFile with
    int requests = 0;
    QStringList chNames;
    QMap<QString, QJsonObject> chConfigs;
    QStringList chLoads; ///< "name>in:0" for every program put onto a channel
    bool echoes = true;  ///< false: replies carry neither "name" nor "subTag"

    QString answer(const QJsonObject& req)
    {
        ++requests;
        const QString ops = req.value("ops").toString();
        const QString name = req.value("name").toString();
        QJsonObject extra;
        for (const char* key : {"name", "subTag"})
            if (req.contains(key) && echoes)
                extra.insert(key, req.value(key));
        bool ok = true;
        if (ops == "getConfigNameArr") {
            extra.insert("nameArr", QJsonArray::fromStringList(names));
        } else if (ops == "getDefaultFile") {
            extra.insert("name", current);
        } else if (ops == "saveToFile") {
            const QString old = req.value("oldName").toString();
            const int at = names.indexOf(old);
            if (at > 0) {
                names[at] = name;
                configs.insert(name, configs.take(old));
            } else if (!names.contains(name)) {
                names << name;
                configs.insert(name, programConfig("saved"));
            }
        } else if (ops == "loadFromFile") {
            ok = loadRefusal.isEmpty() && names.contains(name);
            if (ok)
                current = name;
            else
                extra.insert("reason", loadRefusal);
        } else if (ops == "loadFromFactory") {
            current = "default";
        } else if (ops == "deleteFile") {
            ok = names.indexOf(name) > 0 && name != current;
            if (ok) {
                names.removeAll(name);
                configs.remove(name);
            }
        } else if (ops == "getConfigByName") {
            ok = configs.contains(name);
            if (ok)
                extra.insert("config", configs.value(name));
        } else if (ops == "saveConfigToFile") {
            ok = importRefusal.isEmpty();
            if (ok) {
                if (!names.contains(name))
                    names << name;
                configs.insert(name, req.value("config").toObject());
            } else {
                extra.insert("reason", importRefusal);
            }
        } else if (ops == "getChConfigNameArr") {
            extra.insert("nameArr", QJsonArray::fromStringList(chNames));
        } else if (ops == "saveChConfig" || ops == "saveChConfigToFile") {
            if (!chNames.contains(name))
                chNames << name;
            chConfigs.insert(name, ops == "saveChConfig" ? QJsonObject{{"side", "in"}, {"from", req.value("ch")}}
                                                         : req.value("config").toObject());
        } else if (ops == "renameChConfig") {
            const int at = chNames.indexOf(req.value("oldName").toString());
            ok = at >= 0;
            if (ok) {
                chNames[at] = name;
                chConfigs.insert(name, chConfigs.take(req.value("oldName").toString()));
            }
        } else if (ops == "deleteChConfig") {
            ok = chNames.removeAll(name) > 0;
        } else if (ops == "getChConfigByName") {
            ok = chConfigs.contains(name);
            extra.insert("config", chConfigs.value(name));
        } else if (ops == "loadChConfig") {
            ok = chNames.contains(name) && req.value("isInput").toString() == "1";
            if (ok)
                chLoads << QString("%1>in:%2").arg(name, req.value("ch").toString());
            else
                extra.insert("reason", "channel type mismatch");
        } else if (ops == "getConfig") {
            return configReply(kChannels, kChannels);
        } else {
            return QString();
        }
        return reply(ops, ok, extra);
    }
};

class ProgramPageTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        open();
        download(configReply(kChannels, kChannels), kChannels, kChannels);
        dialog->volumeTimer()->stop();
        dialog->cpuTimer()->stop();
        page = dialog->programForm();
        ASSERT_NE(page, nullptr);
        page->setSettingsPath(dir.filePath("Config.ini"));
        page->setPrompts(scriptedPrompts());
        tips = std::make_unique<QSignalSpy>(page, &DspPageShell::signal_showTips);
        pump();
    }

    static bool take(std::deque<bool>& q)
    {
        const bool b = q.front();
        q.pop_front();
        return b;
    }
    QString takeFile()
    {
        const QString f = files.front();
        files.pop_front();
        return f;
    }

    /// Answers everything the page sent, and what those answers made it send, as the processor would.
    void pump()
    {
        for (int round = 0; round < 10; ++round) {
            bool any = false;
            while (udpSeen < sent.size()) {
                const QString r = device.answer(parse(sent.at(udpSeen++).text));
                any = true;
                if (!r.isEmpty())
                    dialog->recvBackData(r);
            }
            while (tcpSeen < tcp->size()) {
                const QString r = device.answer(parse(tcp->at(tcpSeen++).at(0).toString()));
                any = true;
                if (!r.isEmpty())
                    dialog->handle_recvTcpMsg(r);
            }
            if (!any)
                return;
        }
        ADD_FAILURE() << "the page and the processor kept talking";
    }

    /// Clicks a button of the page with slot `index` selected, then lets the processor answer.
    void click(const char* button, int index)
    {
        page->selectIndex(index);
        auto* b = page->findChild<QPushButton*>(QLatin1String(button));
        ASSERT_NE(b, nullptr) << button;
        udpBefore = int(sent.size());
        tcpBefore = tcp->size();
        tipsBefore = tips->size();
        b->click();
        pump();
    }

    /// The requests the last click caused, by "ops", in order (both paths, answers' follow-ups included).
    QStringList opsSince() const
    {
        QStringList out;
        for (int i = udpBefore; i < sent.size(); ++i)
            out << "udp:" + parse(sent.at(i).text).value("ops").toString();
        for (int i = tcpBefore; i < tcp->size(); ++i)
            out << "tcp:" + parse(tcp->at(i).at(0).toString()).value("ops").toString();
        return out;
    }
    QStringList tcpOpsSince() const { return opsSince().filter(QStringLiteral("tcp:")); }
    QStringList tipsSince() const
    {
        QStringList out;
        for (int i = tipsBefore; i < tips->size(); ++i)
            out << tips->at(i).at(0).toString();
        return out;
    }
    QJsonObject lastTcp() const { return parse(tcp->last().at(0).toString()); }
    QString label(const char* name) const { return page->findChild<QLabel*>(QLatin1String(name))->text(); }
    QString slotText(int i) const { return page->findChild<QPushButton*>(QStringLiteral("pb_%1").arg(i))->text(); }
    QString writeFile(const QString& fileName, const QByteArray& bytes)
    {
        const QString path = dir.filePath(fileName);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    /// Stores programs in the fake processor and lets the page read the list.
    void store(const QStringList& programs)
    {
        for (const QString& n : programs) {
            device.names << n;
            device.configs.insert(n, programConfig(n));
        }
        page->refreshList();
        pump();
    }

    QTemporaryDir dir;
    DspProgramForm* page = nullptr;
    FakeProcessor device;
    std::unique_ptr<QSignalSpy> tips;
    std::deque<bool> answers;
    std::deque<QString> names;
    std::deque<QString> files;
    QStringList questions, initialNames, dirs, filters;
    int udpSeen = 0;
    int tcpSeen = 0;
    int udpBefore = 0;
    int tcpBefore = 0;
    int tipsBefore = 0;

    /// Questions answered, names given and files chosen from the test's queues, each recorded.
    ProgramPrompts scriptedPrompts()
    {
        ProgramPrompts p;
        p.ask = [this](const QString& q) {
            questions << q;
            return answers.empty() ? false : take(answers);
        };
        p.askName = [this](const QString&, const QString& initial) -> std::optional<QString> {
            initialNames << initial;
            if (names.empty())
                return std::nullopt;
            const QString n = names.front();
            names.pop_front();
            return n;
        };
        p.openFile = [this](const QString&, const QString& d, const QString& filter) {
            dirs << d;
            filters << filter;
            return files.empty() ? QString() : takeFile();
        };
        p.saveFile = p.openFile;
        return p;
    }
};

TEST_F(ProgramPageTest, TheListAsTheProcessorKeepsIt)
{
    store({"Stage-A", "b_2"});
    EXPECT_EQ(page->programs().names(), QStringList({"default", "Stage-A", "b_2"}));
    EXPECT_EQ(label("lb_count"), QStringLiteral("程式数量:3"));
    EXPECT_EQ(label("lb_current"), QStringLiteral("上次加载：系统默认"));
    EXPECT_EQ(slotText(0), QStringLiteral("0 系统默认"));
    EXPECT_EQ(slotText(1), "1 Stage-A");
    EXPECT_EQ(slotText(3), "3");
    EXPECT_EQ(slotText(19), "19");
    EXPECT_FALSE(page->findChild<QPushButton*>("pb_20"));
    // Loaded: the list marks it, and the configuration is read again for every page.
    click("pb_load", 2);
    const QStringList ops = opsSince();
    EXPECT_EQ(ops.value(0), "udp:loadFromFile");
    EXPECT_EQ(ops.count("tcp:getConfig"), 1);
    EXPECT_EQ(ops.count("udp:getConfigNameArr"), 2) << "after the load and with the new configuration";
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("加载成功")}));
    EXPECT_EQ(label("lb_current"), QStringLiteral("上次加载：b_2"));
    EXPECT_TRUE(page->findChild<QPushButton*>("pb_2")->property("current").toBool());
    EXPECT_FALSE(page->findChild<QPushButton*>("pb_1")->property("current").toBool());
}

TEST_F(ProgramPageTest, NamesCheckedBeforeSending)
{
    store({"A"});
    const struct
    {
        const char* name; ///< nullptr: the name dialog cancelled
        const char* refusal;
    } cases[] = {
        {"Stage_A-2", ""},
        {"x", ""},
        {"0123456789012345678901234567890123456789", ""},
        {"with space", "只能包含数字、字符或下划线"},
        {"01234567890123456789012345678901234567890", "程式名不能超过40个字符"},
        {"", "程式名不能为空"},
        {"名字", "只能包含数字、字符或下划线"},
        {"a.b", "只能包含数字、字符或下划线"},
        {nullptr, ""},
    };
    for (const auto& c : cases) {
        if (c.name)
            names.push_back(QString::fromUtf8(c.name));
        click("pb_save", 2);
        const bool sends = c.name && !*c.refusal;
        EXPECT_EQ(opsSince().value(0), sends ? "udp:saveToFile" : "") << (c.name ? c.name : "(cancelled)");
        if (*c.refusal) {
            EXPECT_EQ(tipsSince(), QStringList({QString::fromUtf8(c.refusal)})) << c.name;
        }
        if (sends) {
            EXPECT_EQ(parse(sent.at(udpBefore).text),
                      (QJsonObject{{"ops", "saveToFile"}, {"uiTag", "dspUiTag"}, {"name", c.name}, {"oldName", ""}}));
            EXPECT_EQ(tipsSince().value(0), QStringLiteral("保存成功"));
            device.names = QStringList({"default", "A"}); // the slot stays empty for the next case
            page->refreshList();
            pump();
        }
    }
    // Saving over a program names it as the old one and offers its name.
    names.push_back("Renamed");
    click("pb_save", 1);
    EXPECT_EQ(initialNames.last(), "A");
    EXPECT_EQ(parse(sent.at(udpBefore).text).value("oldName").toString(), "A");
    EXPECT_EQ(page->programs().names(), QStringList({"default", "Renamed"}));
}

TEST_F(ProgramPageTest, ProgramZeroLoadsButIsNeverChanged)
{
    store({"A"});
    click("pb_load", 0);
    EXPECT_EQ(opsSince().value(0), "udp:loadFromFactory");
    const struct
    {
        const char* button;
        const char* refusal;
    } refused[] = {
        {"pb_save", "系统默认程式不能修改"},   {"pb_delete", "系统默认程式不能删除"},
        {"pb_export", "系统默认程式不能导出"}, {"pb_convertExport", "系统默认程式不能导出"},
        {"pb_import", "系统默认程式不能修改"},
    };
    for (const auto& r : refused) {
        names.push_back("Any");
        answers = {true};
        click(r.button, 0);
        EXPECT_EQ(opsSince(), QStringList()) << r.button;
        EXPECT_EQ(tipsSince(), QStringList({QString::fromUtf8(r.refusal)})) << r.button;
        names.clear();
    }
    EXPECT_TRUE(questions.isEmpty()) << "refused before any question";
}

TEST_F(ProgramPageTest, SelectionAndTheProgramInUse)
{
    store({"A", "B"});
    click("pb_load", 1);
    const struct
    {
        const char* button;
        int index;
        const char* refusal;
    } cases[] = {
        {"pb_load", -1, "请选择要加载的程式序号"},   {"pb_load", 3, "请选择存在的程式序号"},
        {"pb_save", -1, "请选择要保存的程式序号"},   {"pb_delete", 1, "不能删除当前使用的程式"},
        {"pb_delete", 5, "请选择存在的程式序号"},    {"pb_export", 4, "请选择存在的程式序号"},
        {"pb_import", -1, "请选择要导入的程式序号"},
    };
    for (const auto& c : cases) {
        click(c.button, c.index);
        EXPECT_EQ(opsSince(), QStringList()) << c.button << " " << c.index;
        EXPECT_EQ(tipsSince(), QStringList({QString::fromUtf8(c.refusal)})) << c.button << " " << c.index;
    }
    // Deleting another program asks first.
    answers = {false};
    click("pb_delete", 2);
    EXPECT_EQ(opsSince(), QStringList());
    answers = {true};
    click("pb_delete", 2);
    EXPECT_EQ(opsSince().value(0), "udp:deleteFile");
    EXPECT_EQ(parse(sent.at(udpBefore).text).value("isUser").toString(), "1");
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("删除成功")}));
    EXPECT_EQ(page->programs().names(), QStringList({"default", "A"}));
}

TEST_F(ProgramPageTest, LoadRefusalsShownAsTheyMean)
{
    store({"A"});
    const struct
    {
        const char* reason;
        const char* shown;
    } cases[] = {
        {"sample rate mismatch", "请检查配置采样率是否匹配"},
        {"old version", "该配置为旧版本，不能加载，可以转换为新版本后再导入"},
        {"busy", "加载失败: busy"},
    };
    for (const auto& c : cases) {
        device.loadRefusal = c.reason;
        click("pb_load", 1);
        EXPECT_EQ(opsSince(), QStringList({"udp:loadFromFile"})) << "nothing reread after a refusal";
        EXPECT_EQ(tipsSince(), QStringList({QString::fromUtf8(c.shown)}));
    }
    EXPECT_EQ(device.current, "default");
}

TEST_F(ProgramPageTest, ExportAndImportOneProgram)
{
    store({"A", "B"});
    const QString file = dir.filePath("a.dt");
    files = {file};
    click("pb_export", 1);
    EXPECT_EQ(opsSince(), QStringList({"tcp:getConfigByName"}));
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导出成功")}));
    EXPECT_EQ(filters.last(), "*.dt;;*.*");
    QByteArray bytes;
    ASSERT_EQ(ProgramFile::readFile(file, &bytes), ProgramFile::Error::None);
    EXPECT_EQ(QJsonDocument::fromJson(bytes).object(), device.configs.value("A"));
    EXPECT_FALSE(bytes.contains('\n')) << "compact";
    EXPECT_EQ(IniFile(dir.filePath("Config.ini")).value("lastCfgDirPath").toString(), dir.path());

    // Imported over B: a question first, then the file's configuration under B's name.
    answers = {false};
    files = {file};
    click("pb_import", 2);
    EXPECT_EQ(opsSince(), QStringList()) << "declined";
    answers = {true};
    files = {file};
    click("pb_import", 2);
    EXPECT_EQ(questions.last(), QStringLiteral("导入程式会替换选中的程式，是否继续导入?"));
    EXPECT_EQ(dirs.last(), dir.path()) << "the folder remembered";
    EXPECT_EQ(tcpOpsSince(), QStringList({"tcp:saveConfigToFile"}));
    EXPECT_EQ(tipsSince().value(0), QStringLiteral("导入成功"));
    EXPECT_EQ(device.configs.value("B"), device.configs.value("A"));

    // Into an empty slot: the name is asked, the file's name offered.
    answers = {true};
    files = {file};
    names = {"C"};
    click("pb_import", 5);
    EXPECT_EQ(initialNames.last(), "a");
    EXPECT_EQ(device.names, QStringList({"default", "A", "B", "C"}));
}

TEST_F(ProgramPageTest, ImportRefusalsSendNothing)
{
    store({"A"});
    const struct
    {
        const char* what;
        QByteArray bytes; ///< empty: the file does not exist
        const char* shown;
    } cases[] = {
        {"missing", QByteArray(), "打开文件出错"},
        {"not JSON", "{\"nodeArr\":[", "文件解析出错"},
        {"not a configuration", "{\"version\":\"4\"}", "不是合法的配置文件"},
        {"more inputs", ProgramFile::writeProgram(programConfig("x", kChannels + 1, kChannels)), "导入失败,通道不匹配"},
        {"fewer outputs", ProgramFile::writeProgram(programConfig("x", kChannels, kChannels - 1)),
         "导入失败,通道不匹配"},
        {"older and unconvertible", "{\"version\":\"2\",\"msgJson\":\"{oops\"}", "转换出错"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path =
            c.bytes.isEmpty() ? dir.filePath("none.dt") : writeFile(QString("f%1.dt").arg(n++), c.bytes);
        answers = {true, true};
        files = {path};
        click("pb_import", 1);
        EXPECT_EQ(opsSince(), QStringList()) << c.what;
        EXPECT_EQ(tipsSince(), QStringList({QString::fromUtf8(c.shown)})) << c.what;
    }
    EXPECT_EQ(device.configs.value("A"), programConfig("A"));
}

TEST_F(ProgramPageTest, OlderProgramsConvertedWhenTheUserAgrees)
{
    store({"A"});
    QJsonObject old = programConfig("old");
    old.insert("version", "2");
    const QString path = writeFile("old.dt", ProgramFile::writeProgram(old));
    answers = {true, false}; // replace: yes; convert: no
    files = {path};
    click("pb_import", 1);
    EXPECT_EQ(questions.last(), QStringLiteral("配置文件版本低，是否转换后导入?"));
    EXPECT_EQ(opsSince(), QStringList());
    answers = {true, true};
    files = {path};
    click("pb_import", 1);
    EXPECT_EQ(tcpOpsSince(), QStringList({"tcp:saveConfigToFile"}));
    QJsonObject expected = old;
    expected.insert("version", "4");
    EXPECT_EQ(device.configs.value("A"), expected);
}

TEST_F(ProgramPageTest, ConvertingExport)
{
    QJsonObject old = programConfig("old");
    old.insert("version", "3");
    device.names << "Old"
                 << "New";
    device.configs.insert("Old", old);
    device.configs.insert("New", programConfig("new"));
    QJsonObject newer = programConfig("newer");
    newer.insert("version", "9");
    device.names << "Newer";
    device.configs.insert("Newer", newer);
    page->refreshList();
    pump();
    const QString file = dir.filePath("conv.dt");
    files = {file};
    click("pb_convertExport", 1);
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导出成功")}));
    QByteArray bytes;
    ASSERT_EQ(ProgramFile::readFile(file, &bytes), ProgramFile::Error::None);
    EXPECT_EQ(QJsonDocument::fromJson(bytes).object().value("version").toString(), "4");
    files = {dir.filePath("x.dt")};
    click("pb_convertExport", 2);
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("该配置不需要转换")}));
    click("pb_convertExport", 3);
    EXPECT_EQ(tipsSince(), QStringList({"Wrong Version!"}));
    EXPECT_FALSE(QFile::exists(dir.filePath("x.dt")));
}

TEST_F(ProgramPageTest, ExportAllAndImportAllRoundTrip)
{
    click("pb_exportAll", -1);
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("没有可以导出的程式")}));
    store({"A", "b-2", "C_3"});
    device.configs["b-2"].insert("customStr", "changed");
    const QMap<QString, QJsonObject> before = device.configs;
    const QString file = dir.filePath("all.dtl");
    files = {file};
    click("pb_exportAll", -1);
    EXPECT_EQ(filters.last(), "*.dtl;;*.*");
    EXPECT_EQ(opsSince(), QStringList({"tcp:getConfigByName", "tcp:getConfigByName", "tcp:getConfigByName"}));
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导出成功")}));
    EXPECT_EQ(IniFile(dir.filePath("Config.ini")).value("lastDirPath").toString(), dir.path());

    // The processor forgets them; the list brings every one back.
    device.names = QStringList({"default"});
    device.configs.clear();
    answers = {true};
    files = {file};
    click("pb_importAll", -1);
    EXPECT_EQ(questions.last(), QStringLiteral("导入程式会替换已有的程式，是否继续导入?"));
    EXPECT_EQ(tcpOpsSince(), QStringList({"tcp:saveConfigToFile", "tcp:saveConfigToFile", "tcp:saveConfigToFile"}));
    EXPECT_EQ(lastTcp().value("ops").toString(), "saveConfigToFile");
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导入成功")}));
    EXPECT_EQ(device.names, QStringList({"default", "A", "b-2", "C_3"}));
    EXPECT_EQ(device.configs, before);
    EXPECT_EQ(page->programs().count(), 4);
    EXPECT_EQ(page->pendingImports(), 0);
}

TEST_F(ProgramPageTest, RepliesThatDoNotEchoTheRequest)
{
    store({"A", "B"});
    device.echoes = false;
    const QString one = dir.filePath("one.dt");
    files = {one};
    click("pb_export", 2);
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导出成功")}));
    QByteArray bytes;
    ASSERT_EQ(ProgramFile::readFile(one, &bytes), ProgramFile::Error::None);
    EXPECT_EQ(QJsonDocument::fromJson(bytes).object(), device.configs.value("B"));

    const QString all = dir.filePath("all.dtl");
    files = {all};
    click("pb_exportAll", -1);
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导出成功")}));
    device.names = QStringList({"default"});
    const QMap<QString, QJsonObject> before = device.configs;
    device.configs.clear();
    answers = {true};
    files = {all};
    click("pb_importAll", -1);
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导入成功")}));
    EXPECT_EQ(device.configs, before);
}

TEST_F(ProgramPageTest, ImportAllRefusalsSendNothing)
{
    store({"A"});
    const QJsonObject good = programConfig("g");
    const struct
    {
        const char* what;
        QByteArray bytes;
        const char* shown;
    } cases[] = {
        {"no entries", ProgramFile::writeList({}), "没有程式数据"},
        {"a bad name", ProgramFile::writeList({{"ok", good}, {"bad name", good}}), "程式解析出错"},
        {"one entry of other channels", ProgramFile::writeList({{"ok", good}, {"w", programConfig("w", 2, 2)}}),
         "导入失败,通道不匹配"},
        {"a single program", ProgramFile::writeProgram(good), "不是合法的配置文件"},
        {"not JSON", "[{", "文件解析出错"},
    };
    int n = 0;
    for (const auto& c : cases) {
        answers = {true};
        files = {writeFile(QString("l%1.dtl").arg(n++), c.bytes)};
        click("pb_importAll", -1);
        EXPECT_EQ(opsSince(), QStringList()) << c.what;
        EXPECT_EQ(tipsSince(), QStringList({QString::fromUtf8(c.shown)})) << c.what;
    }
    // A device that refuses some: said once, after the last reply.
    device.importRefusal = "too many programs";
    answers = {true};
    files = {writeFile("two.dtl", ProgramFile::writeList({{"X", good}, {"Y", good}}))};
    click("pb_importAll", -1);
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导入失败: X too many programs")}));
}

TEST_F(ProgramPageTest, FoldersRememberedBesideOtherSettings)
{
    {
        QSettings s(dir.filePath("Config.ini"), QSettings::IniFormat);
        s.setValue("lastCfgDirPath", "/somewhere");
        s.setValue("Other/key", "kept");
    }
    store({"A"});
    click("pb_export", 1);
    EXPECT_EQ(dirs.last(), "/somewhere/A.dt");
    QDir(dir.path()).mkpath("sub");
    files = {dir.filePath("sub/a.dt")};
    click("pb_export", 1);
    const IniFile ini(dir.filePath("Config.ini"));
    EXPECT_EQ(ini.value("lastCfgDirPath").toString(), dir.filePath("sub"));
    EXPECT_EQ(ini.value("Other/key").toString(), "kept");
}

TEST_F(ProgramPageTest, ExportToAnUnwritablePlaceFails)
{
    store({"A"});
    files = {dir.filePath("no/such/folder/a.dt")};
    click("pb_export", 1);
    EXPECT_EQ(tipsSince(), QStringList({QStringLiteral("导出失败")}));
}

TEST_F(ProgramPageTest, RepliesOfOtherWorkIgnored)
{
    store({"A"});
    const int before = tips->size();
    // An export nobody asked for, a list of another device, an unknown reply.
    dialog->handle_recvTcpMsg(
        reply("getConfigByName", true, {{"name", "A"}, {"subTag", "export"}, {"config", programConfig("A")}}));
    dialog->recvBackData(json(QJsonObject{{"uiTag", "dspUiTag"},
                                          {"ops", "getConfigNameArr"},
                                          {"devId", "OTHER"},
                                          {"result", "succ"},
                                          {"nameArr", QJsonArray{"default", "X"}}}));
    dialog->handle_recvTcpMsg(reply("saveConfigToFile", true, {{"subTag", "importAll"}}));
    dialog->handle_recvTcpMsg(reply("saveConfigToFile", true, {{"name", "A"}}));
    dialog->handle_recvTcpMsg(reply("getConfigByName", false, {{"name", "A"}, {"subTag", "export"}}));
    EXPECT_EQ(tips->size(), before);
    EXPECT_EQ(page->programs().names(), QStringList({"default", "A"}));
    EXPECT_TRUE(files.empty());
    // A device that lists more than twenty: the page shows twenty.
    QJsonArray many;
    for (int i = 0; i < 40; ++i)
        many.append(QString("P%1").arg(i));
    dialog->recvBackData(reply("getConfigNameArr", true, {{"nameArr", many}}));
    EXPECT_EQ(page->programs().count(), 20);
}

// ---- Channel programs -----------------------------------------------------------------------------------------

class ChannelProgramTest : public ProgramPageTest
{
protected:
    ManageProgramForm* openManager(bool isInput = true, int ch = 1)
    {
        QDialog* d = ChannelProgramForm::openFor(dialog->diagramForm(), isInput, ch, true);
        auto* m = qobject_cast<ManageProgramForm*>(d);
        EXPECT_NE(m, nullptr);
        m->setSettingsPath(dir.filePath("Config.ini"));
        m->setPrompts(scriptedPrompts());
        pump();
        return m;
    }
    /// Clicks a button of a channel program window, then lets the processor answer.
    void press(QWidget* form, const char* button)
    {
        auto* b = form->findChild<QPushButton*>(QLatin1String(button));
        ASSERT_NE(b, nullptr) << button;
        udpBefore = int(sent.size());
        tcpBefore = tcp->size();
        b->click();
        pump();
    }
};

TEST_F(ChannelProgramTest, ManagedFromAChannel)
{
    ManageProgramForm* m = openManager(true, 1);
    EXPECT_TRUE(m->isVisible());
    EXPECT_TRUE(m->names().isEmpty());
    // Added from input 2, under a checked name.
    const struct
    {
        const char* name;
        const char* refusal;
    } adds[] = {{"with space", "只能包含数字、字符或下划线"},
                {"0123456789012345678901234567890123456789x", "程式名不能超过40个字符"},
                {"", "程式名不能为空"},
                {"Vocal_1", ""}};
    for (const auto& a : adds) {
        names = {a.name};
        press(m, "pb_add");
        if (*a.refusal) {
            EXPECT_EQ(opsSince(), QStringList()) << a.name;
            EXPECT_EQ(m->tipText(), QString::fromUtf8(a.refusal));
        }
    }
    EXPECT_EQ(parse(sent.at(udpBefore).text), (QJsonObject{{"ops", "saveChConfig"},
                                                           {"uiTag", "dspUiTag"},
                                                           {"name", "Vocal_1"},
                                                           {"oldName", ""},
                                                           {"isInput", "1"},
                                                           {"ch", "1"}}));
    EXPECT_EQ(m->tipText(), QStringLiteral("增加成功"));
    EXPECT_EQ(m->names(), QStringList({"Vocal_1"}));
    EXPECT_TRUE(m->findChild<QWidget*>("ProgramItemForm_0"));

    // Renamed: a selection first.
    press(m, "pb_modify");
    EXPECT_EQ(m->tipText(), QStringLiteral("请选择修改的程式"));
    m->selectIndex(0);
    names = {"Lead"};
    press(m, "pb_modify");
    EXPECT_EQ(initialNames.last(), "Vocal_1");
    EXPECT_EQ(m->tipText(), QStringLiteral("修改成功"));
    EXPECT_EQ(device.chNames, QStringList({"Lead"}));

    // Exported: a reply without a chain writes no file; a real one is written whole.
    const QString file = dir.filePath("lead.dtc");
    files = {file};
    m->selectIndex(0);
    press(m, "pb_export");
    EXPECT_EQ(tcpOpsSince(), QStringList({"tcp:getChConfigByName"}));
    EXPECT_EQ(m->tipText(), QStringLiteral("获取配置失败"));
    EXPECT_FALSE(QFile::exists(file));
    files.clear();
    const QJsonObject program = ChannelProgram::fromConfig(configOf(configReply(kChannels, kChannels)), true, 1);
    device.chConfigs.insert("Lead", program);
    files = {file};
    press(m, "pb_export");
    EXPECT_EQ(m->tipText(), QStringLiteral("导出成功"));
    EXPECT_EQ(filters.last(), "*.dtc;;*.*");
    // Imported under another name.
    files = {file};
    names = {"Copy"};
    press(m, "pb_import");
    EXPECT_EQ(initialNames.last(), "lead");
    EXPECT_EQ(m->tipText(), QStringLiteral("导入成功"));
    EXPECT_EQ(device.chConfigs.value("Copy"), program);
    EXPECT_EQ(device.chNames, QStringList({"Lead", "Copy"}));

    // A file that is no channel program sends nothing.
    files = {writeFile("whole.dt", ProgramFile::writeProgram(programConfig("x")))};
    names = {"Whole"};
    press(m, "pb_import");
    EXPECT_EQ(opsSince(), QStringList());
    EXPECT_EQ(m->tipText(), QStringLiteral("不是合法的配置文件"));

    // Deleted after the question.
    m->selectIndex(1);
    answers = {true};
    press(m, "pb_delete");
    EXPECT_EQ(m->tipText(), QStringLiteral("删除成功"));
    EXPECT_EQ(device.chNames, QStringList({"Lead"}));
    m->close();
}

TEST_F(ChannelProgramTest, PutOntoAChannelAndTheConfigurationReadAgain)
{
    device.chNames = QStringList({"Lead", "Pad"});
    QDialog* d = ChannelProgramForm::openFor(dialog->diagramForm(), true, 2, false);
    auto* chooser = qobject_cast<ChannelProgramForm*>(d);
    ASSERT_NE(chooser, nullptr);
    pump();
    EXPECT_EQ(chooser->names(), QStringList({"Lead", "Pad"}));
    auto* row = chooser->findChild<ChannelItemForm*>("ChannelItemForm_1");
    ASSERT_NE(row, nullptr);
    press(row, "pb_load");
    EXPECT_EQ(device.chLoads, QStringList({"Pad>in:2"}));
    EXPECT_EQ(chooser->tipText(), QStringLiteral("加载成功"));
    EXPECT_EQ(tcpOpsSince(), QStringList({"tcp:getConfig"}));
    chooser->close();

    QDialog* out = ChannelProgramForm::openFor(dialog->diagramForm(), false, 0, false);
    pump();
    press(out->findChild<ChannelItemForm*>("ChannelItemForm_0"), "pb_load");
    EXPECT_EQ(qobject_cast<ChannelProgramForm*>(out)->tipText(), QStringLiteral("加载失败: channel type mismatch"));
    EXPECT_EQ(tcpOpsSince(), QStringList()) << "nothing read again after a refusal";
    out->close();

    EXPECT_EQ(ChannelProgramForm::openFor(dialog->diagramForm(), true, 99, false), nullptr) << "no such channel";
}

// ---- Offline ------------------------------------------------------------------------------------------------

TEST(ProgramPageOffline, ExportAndImportTheDesignsConfigurationWithoutSending)
{
    app();
    resetAll();
    QTemporaryDir dir;
    auto config = std::make_unique<CDeviceDspData>();
    config->parse(DspDefaultConfig::reply(4, 4, 48000), QString(), true);
    addBlocks(*config, true, 1, {CBaseItem::KindLimit});
    DevDspDialog::OfflineTarget target;
    target.devId = "OFF-1";
    target.name = "Design";
    target.model = "MRD-M16";
    target.localIn = target.netIn = target.localOut = target.netOut = 2;
    DevDspDialog dialog;
    QStringList sent;
    dialog.setUdpSender([&sent](const QByteArray& data, uint32_t, quint16) {
        sent << QString::fromUtf8(data);
        return int(data.size());
    });
    QSignalSpy tcp(&dialog, &DevDspDialog::signal_sendTcpMsg);
    dialog.initOfflineUi(target, std::move(config), [](const CDeviceDspData&) { return true; });
    DspProgramForm* page = dialog.programForm();
    page->setSettingsPath(dir.filePath("Config.ini"));
    QSignalSpy imported(page, &DspProgramForm::signal_import);
    QSignalSpy tips(page, &DspPageShell::signal_showTips);
    QStringList files;
    ProgramPrompts p;
    p.ask = [](const QString&) { return true; };
    p.askName = [](const QString&, const QString&) { return std::optional<QString>(); };
    p.openFile = [&files](const QString&, const QString&, const QString&) { return files.takeFirst(); };
    p.saveFile = p.openFile;
    page->setPrompts(p);

    const QString file = dir.filePath("design.dt");
    files = QStringList{file};
    page->on_pb_export_clicked();
    EXPECT_EQ(tips.last().at(0).toString(), QStringLiteral("导出成功"));
    QByteArray bytes;
    ASSERT_EQ(ProgramFile::readFile(file, &bytes), ProgramFile::Error::None);
    QJsonObject written = ProgramFile::readProgram(bytes).config;
    EXPECT_EQ(ProgramFile::channelsOf(written).inputs, 4);

    // The limiter goes; the file brings it back.
    dialog.dspData()->input(1)->clearBlocks();
    files = QStringList{file};
    page->on_pb_import_clicked();
    EXPECT_EQ(tips.last().at(0).toString(), QStringLiteral("导入成功"));
    EXPECT_EQ(imported.size(), 1);
    ASSERT_EQ(dialog.dspData()->input(1)->blocks().size(), 1);
    EXPECT_EQ(dialog.dspData()->input(1)->blocks().at(0)->kind(), int(CBaseItem::KindLimit));

    // Other channel counts leave the design as it was.
    files = QStringList{[&] {
        const QString wide = dir.filePath("wide.dt");
        ProgramFile::writeFile(wide, ProgramFile::writeProgram(configOf(configReply(5, 4))));
        return wide;
    }()};
    page->on_pb_import_clicked();
    EXPECT_EQ(tips.last().at(0).toString(), QStringLiteral("导入失败,通道不匹配"));
    EXPECT_EQ(imported.size(), 1);
    EXPECT_EQ(dialog.dspData()->inputs().size(), 4);

    // Everything else needs a device.
    page->selectIndex(1);
    page->on_pb_load_clicked();
    EXPECT_EQ(tips.last().at(0).toString(), QStringLiteral("离线模式下不可用"));
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(tcp.isEmpty());
    resetAll();
}

// ---- The default prompts ----------------------------------------------------------------------------------

TEST(ProgramPrompts, TheNameDialogAndItsOwnerClosedMeanwhile)
{
    app();
    auto* owner = new QWidget;
    const ProgramPrompts p = ProgramPrompts::dialogs(owner);
    QTimer::singleShot(20, owner, [owner] {
        owner->findChild<QLineEdit*>("le_programName")->setText("Typed_1");
        owner->findChild<QPushButton*>("pb_nameOk")->click();
    });
    EXPECT_EQ(p.askName("请输入程式名", "Old"), std::optional<QString>("Typed_1"));
    QTimer::singleShot(20, owner, [owner] {
        EXPECT_EQ(owner->findChild<QLineEdit*>("le_programName")->text(), "Old");
        owner->findChild<QPushButton*>("pb_nameCancel")->click();
    });
    EXPECT_EQ(p.askName("请输入程式名", "Old"), std::nullopt);
    EXPECT_TRUE(owner->findChildren<QDialog*>().isEmpty()) << "each dialog gone after its answer";

    // The window that asked closes while the question waits: no answer, nothing freed twice.
    QTimer::singleShot(20, [owner] { delete owner; });
    EXPECT_EQ(p.askName("请输入程式名", ""), std::nullopt);
    auto* other = new QWidget;
    const ProgramPrompts q = ProgramPrompts::dialogs(other);
    QTimer::singleShot(20, [other] { delete other; });
    EXPECT_FALSE(q.ask("?"));
}

} // namespace

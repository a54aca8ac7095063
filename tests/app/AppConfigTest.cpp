#include "AppConfig.h"

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

namespace {

using Switch = AppConfig::Switch;

const QString kAnchorStart = QStringLiteral("<a style='color: rgb(0, 170, 255);' href=\"");

QString anchor(const QString& escapedLink)
{
    return kAnchorStart + escapedLink + QStringLiteral("\">") + escapedLink + QStringLiteral("</a>");
}

TEST(AppConfig, Title)
{
    struct Case
    {
        const char* text;
        const char* key;
        const char* title;
    };
    const Case cases[] = {
        {"Title=A=B \nCanShow=1", "Title", "A=B "},                 // everything after the first "=", untrimmed
        {"Title=Meridane\r\nCanShow=1\r\n", "Title", "Meridane\r"}, // CRLF keeps its carriage return
        {"Meridane\nTitle=X", "", ""},                              // only the first line gives the title
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const AppConfig cfg = AppConfig::fromText(QString::fromUtf8(c.text));
        EXPECT_EQ(cfg.titleKey(), QString::fromUtf8(c.key)) << c.text;
        EXPECT_EQ(cfg.title(), QString::fromUtf8(c.title)) << c.text;
    }
}

TEST(AppConfig, Switches)
{
    struct Case
    {
        const char* text;
        Switch which;
        bool on;
    };
    const Case cases[] = {
        {"T=x\nCanShow=1", Switch::CanShow, true},
        {"T=x\nCanShowHelp=yes", Switch::CanShowHelp, true}, // anything but "0" is on
        {"T=x\nCanEditDevType=", Switch::CanEditDevType, true},
        {"T=x\nCanShowOffline=0", Switch::CanShowOffline, false},
        {"T=x\nCanShow=1", Switch::CanSwitchLanguage, false},              // absent is off
        {"T=x\nCanCtrl8=1=1", Switch::CanCtrl8, false},                    // three parts: no entry
        {"T=x\nCanShowVolume \n", Switch::CanShowVolume, false},           // one part: no entry
        {"T=x\ncanshowvolume=1", Switch::CanShowVolume, false},            // keys match exactly
        {"T=x\nCanShowHelp=1\nCanShowHelp=0", Switch::CanShowHelp, false}, // the last entry wins
        {"CanAlwaysShowDiy=on", Switch::CanAlwaysShowDiy, true},           // the first line is an entry too
        {"T=x\r\nCanShow=0\r\nCanJump=1\r\n", Switch::CanShow, false},     // CRLF "0\r" still switches off
        {"T=x\r\nCanShow=0\r\nCanJump=1\r\n", Switch::CanJump, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AppConfig::fromText(QString::fromUtf8(c.text)).isOn(c.which), c.on)
            << c.text << " / " << AppConfig::switchKey(c.which).toStdString();
}

TEST(AppConfig, EachAccessorReadsItsOwnSwitch)
{
    const std::function<bool(const AppConfig&)> accessors[AppConfig::kSwitchCount] = {
        &AppConfig::canShow,          &AppConfig::canJump,           &AppConfig::canShowOffline,
        &AppConfig::canShowHelp,      &AppConfig::canSwitchLanguage, &AppConfig::canEditDevType,
        &AppConfig::canResetFactory,  &AppConfig::canCtrl8,          &AppConfig::canShowVolume,
        &AppConfig::canAlwaysShowDiy,
    };
    for (int on = 0; on < AppConfig::kSwitchCount; ++on) {
        const QString key = AppConfig::switchKey(Switch(on));
        const AppConfig cfg = AppConfig::fromText(QStringLiteral("T=x\n") + key + QStringLiteral("=1"));
        for (int i = 0; i < AppConfig::kSwitchCount; ++i)
            EXPECT_EQ(accessors[i](cfg), i == on) << key.toStdString() << " read by accessor " << i;
    }
}

TEST(AppConfig, InformationText)
{
    struct Case
    {
        const char* text;
        bool chinese;
        QString info;
        const char* link;
    };
    const Case cases[] = {
        // A clickable link, escaped; the link is trimmed but the spaces around it stay in the text.
        {"T=x\nCanJump=1\n#Meridane audio\nInterLinkage:  https://e.invalid/a?b=1&c=2  \n#梅里达音频\n"
         "链接: https://e.invalid/zh\n#\n",
         false,
         QStringLiteral("Meridane audio<br>InterLinkage:  ") +
             anchor(QStringLiteral("https://e.invalid/a?b=1&amp;c=2")) + QStringLiteral("  <br>"),
         "https://e.invalid/a?b=1&c=2"},
        {"T=x\nCanJump=1\n#en\n#梅里达音频\n链接: https://e.invalid/zh\n#\n", true,
         QStringLiteral("梅里达音频<br>链接: ") + anchor(QStringLiteral("https://e.invalid/zh")) +
             QStringLiteral("<br>"),
         "https://e.invalid/zh"},
        // Without CanJump the link stays text.
        {"T=x\n#see\nInterLinkage: http://a.invalid\n#\n#", false,
         QStringLiteral("see<br>InterLinkage: http://a.invalid<br>"), "http://a.invalid"},
        // The link comes from an editable file: it cannot break out of the attribute or add markup.
        {"T=x\nCanJump=1\n#InterLinkage: x\" onclick=\"y<b>#zh#", false,
         QStringLiteral("InterLinkage: ") + anchor(QStringLiteral("x&quot; onclick=&quot;y&lt;b&gt;")),
         "x\" onclick=\"y<b>"},
        // The other language's marker is no link.
        {"T=x\nCanJump=1\n#InterLinkage: x#zh#", true, QStringLiteral("zh"), ""},
        // Fewer than three marks leave the missing texts empty.
        {"T=x\nCanJump=1", false, QString(), ""},
        {"T=x\nCanJump=1", true, QString(), ""},
        {"T=x\n#English only, unclosed", false, QString(), ""},
        {"T=x\n#English\n#Chinese, unclosed", false, QStringLiteral("English<br>"), ""},
        {"T=x\n#English\n#Chinese, unclosed", true, QString(), ""},
        // More than three: the Chinese text runs to the last mark, marks inside it kept.
        {"#en#zh#1#", true, QStringLiteral("zh#1"), ""},
        // A marker with nothing after it is no link.
        {"CanJump=1\n#InterLinkage:   \n#zh#", false, QStringLiteral("InterLinkage:   <br>"), ""},
    };
    for (const Case& c : cases) {
        const AppConfig cfg = AppConfig::fromText(QString::fromUtf8(c.text));
        EXPECT_EQ(cfg.infoText(c.chinese), c.info) << c.text;
        EXPECT_EQ(cfg.infoLink(c.chinese), QString::fromUtf8(c.link)) << c.text;
    }
}

TEST(AppConfig, LoadsUtf8FileAndTreatsMissingFileAsEmpty)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("appConfig.txt"));

    const AppConfig missing = AppConfig::fromFile(path);
    EXPECT_TRUE(missing.title().isEmpty());
    for (int i = 0; i < AppConfig::kSwitchCount; ++i)
        EXPECT_FALSE(missing.isOn(Switch(i)));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF"); // a byte-order mark is no part of the title key
    file.write(QStringLiteral("Title=梅里达\r\nCanShowOffline=1\r\n#en#中文#").toUtf8());
    file.close();
    const AppConfig cfg = AppConfig::fromFile(path);
    EXPECT_EQ(cfg.titleKey(), QStringLiteral("Title"));
    EXPECT_EQ(cfg.title(), QStringLiteral("梅里达\r"));
    EXPECT_TRUE(cfg.isOn(Switch::CanShowOffline));
    EXPECT_EQ(cfg.infoText(true), QStringLiteral("中文"));
}

// The file the build places beside the executable: what a user of the released program starts with.
TEST(AppConfig, DefaultFileBesideTheExecutable)
{
    const AppConfig cfg = AppConfig::fromFile(QStringLiteral(MERIDANE_APP_DIR "/appConfig.txt"));
    ASSERT_FALSE(cfg.title().isEmpty()) << "no appConfig.txt in " MERIDANE_APP_DIR;
    EXPECT_FALSE(cfg.title().contains(QLatin1Char('\r')));

    const std::pair<Switch, bool> expected[] = {
        {Switch::CanShow, true},           {Switch::CanSwitchLanguage, true}, {Switch::CanShowHelp, true},
        {Switch::CanShowOffline, true},    {Switch::CanShowVolume, true},     {Switch::CanJump, true},
        {Switch::CanEditDevType, false},   {Switch::CanResetFactory, false},  {Switch::CanCtrl8, false},
        {Switch::CanAlwaysShowDiy, false},
    };
    ASSERT_EQ(std::size(expected), size_t(AppConfig::kSwitchCount)) << "every switch has a decided default";
    for (const auto& [which, on] : expected)
        EXPECT_EQ(cfg.isOn(which), on) << AppConfig::switchKey(which).toStdString();

    for (bool chinese : {false, true}) {
        EXPECT_FALSE(cfg.infoLink(chinese).isEmpty()) << "chinese=" << chinese;
        EXPECT_TRUE(cfg.infoText(chinese).contains(kAnchorStart)) << "chinese=" << chinese;
        EXPECT_FALSE(cfg.infoText(chinese).endsWith(QStringLiteral("<br>"))) << "chinese=" << chinese;
    }
}

} // namespace

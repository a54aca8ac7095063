#include "AppConfig.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Switch = AppConfig::Switch;

const QString kSample = QStringLiteral("Title=Meridane Controller\n"
                                       "CanShow=1\n"
                                       "CanJump=1\n"
                                       "CanShowOffline=0\n"
                                       "CanShowHelp=yes\n"
                                       "#Meridane audio\n"
                                       "InterLinkage:  https://example.invalid/a?b=1&c=2  \n"
                                       "#梅里达音频\n"
                                       "链接: https://example.invalid/zh\n"
                                       "#\n");

const QString kAnchorStart = QStringLiteral("<a style='color: rgb(0, 170, 255);' href=\"");

} // namespace

TEST(AppConfig, TitleIsEverythingAfterTheFirstEqualsOfTheFirstLine)
{
    EXPECT_EQ(AppConfig::fromText(QStringLiteral("Title=A=B \nCanShow=1")).title(), QStringLiteral("A=B "));
    EXPECT_EQ(AppConfig::fromText(QStringLiteral("Title=A=B")).titleKey(), QStringLiteral("Title"));
    EXPECT_EQ(AppConfig::fromText(QStringLiteral("Title=Meridane\r\nCanShow=1\r\n")).title(),
              QStringLiteral("Meridane\r"));
    // No "=" on the first line: no title, even when a later line has one.
    EXPECT_TRUE(AppConfig::fromText(QStringLiteral("Meridane\nTitle=X")).title().isEmpty());
    EXPECT_TRUE(AppConfig::fromText(QString()).title().isEmpty());
}

TEST(AppConfig, SwitchesAreOnUnlessExactlyZeroAndOffWhenAbsent)
{
    const AppConfig cfg = AppConfig::fromText(kSample);
    EXPECT_TRUE(cfg.isOn(Switch::CanShow));
    EXPECT_TRUE(cfg.isOn(Switch::CanJump));
    EXPECT_FALSE(cfg.isOn(Switch::CanShowOffline));
    EXPECT_TRUE(cfg.isOn(Switch::CanShowHelp));
    for (Switch s : {Switch::CanSwitchLanguage, Switch::CanEditDevType, Switch::CanResetFactory, Switch::CanCtrl8,
                     Switch::CanShowVolume, Switch::CanAlwaysShowDiy})
        EXPECT_FALSE(cfg.isOn(s)) << AppConfig::switchKey(s).toStdString();

    // Only lines of exactly two parts count; keys match exactly; the last entry wins.
    const AppConfig odd = AppConfig::fromText(QStringLiteral("T=x\nCanCtrl8=1=1\ncanshowvolume=1\nCanShowVolume \n"
                                                             "CanEditDevType=\nCanShowHelp=1\nCanShowHelp=0"));
    EXPECT_FALSE(odd.isOn(Switch::CanCtrl8));
    EXPECT_FALSE(odd.isOn(Switch::CanShowVolume));
    EXPECT_TRUE(odd.isOn(Switch::CanEditDevType));
    EXPECT_FALSE(odd.isOn(Switch::CanShowHelp));

    // The first line is an entry like any other.
    EXPECT_TRUE(AppConfig::fromText(QStringLiteral("CanAlwaysShowDiy=on")).isOn(Switch::CanAlwaysShowDiy));
}

TEST(AppConfig, CrlfFileCanStillSwitchOff)
{
    const AppConfig cfg = AppConfig::fromText(QStringLiteral("T=x\r\nCanShow=0\r\nCanJump=1\r\n"));
    EXPECT_FALSE(cfg.isOn(Switch::CanShow));
    EXPECT_TRUE(cfg.isOn(Switch::CanJump));
}

TEST(AppConfig, InformationTextPerLanguageWithClickableLink)
{
    const AppConfig cfg = AppConfig::fromText(kSample);
    EXPECT_EQ(cfg.infoLink(false), QStringLiteral("https://example.invalid/a?b=1&c=2"));
    EXPECT_EQ(cfg.infoLink(true), QStringLiteral("https://example.invalid/zh"));
    EXPECT_EQ(
        cfg.infoText(false),
        QStringLiteral("Meridane audio<br>InterLinkage:  ") + kAnchorStart +
            QStringLiteral("https://example.invalid/a?b=1&amp;c=2\">https://example.invalid/a?b=1&amp;c=2</a>  <br>"));
    EXPECT_EQ(cfg.infoText(true),
              QStringLiteral("梅里达音频<br>链接: ") + kAnchorStart +
                  QStringLiteral("https://example.invalid/zh\">https://example.invalid/zh</a><br>"));
}

TEST(AppConfig, LinkStaysTextWithoutCanJumpAndCannotInjectMarkup)
{
    const AppConfig plain = AppConfig::fromText(QStringLiteral("T=x\n#see\nInterLinkage: http://a.invalid\n#\n#"));
    EXPECT_EQ(plain.infoText(false), QStringLiteral("see<br>InterLinkage: http://a.invalid<br>"));

    const AppConfig hostile =
        AppConfig::fromText(QStringLiteral("T=x\nCanJump=1\n#InterLinkage: x\" onclick=\"y<b>#zh#"));
    EXPECT_EQ(hostile.infoText(false),
              QStringLiteral("InterLinkage: ") + kAnchorStart +
                  QStringLiteral("x&quot; onclick=&quot;y&lt;b&gt;\">x&quot; onclick=&quot;y&lt;b&gt;</a>"));
    // The marker of the other language is not a link.
    EXPECT_TRUE(hostile.infoLink(true).isEmpty());
    EXPECT_EQ(hostile.infoText(true), QStringLiteral("zh"));
}

TEST(AppConfig, FewerThanThreeMarksGiveEmptyTexts)
{
    const AppConfig none = AppConfig::fromText(QStringLiteral("T=x\nCanJump=1"));
    EXPECT_TRUE(none.infoText(false).isEmpty());
    EXPECT_TRUE(none.infoText(true).isEmpty());
    const AppConfig one = AppConfig::fromText(QStringLiteral("T=x\n#English only, unclosed"));
    EXPECT_TRUE(one.infoText(false).isEmpty());
    EXPECT_TRUE(one.infoText(true).isEmpty());
    const AppConfig two = AppConfig::fromText(QStringLiteral("T=x\n#English\n#Chinese, unclosed"));
    EXPECT_EQ(two.infoText(false), QStringLiteral("English<br>"));
    EXPECT_TRUE(two.infoText(true).isEmpty());
    // More than three: the Chinese text runs to the last mark, marks inside it kept.
    const AppConfig four = AppConfig::fromText(QStringLiteral("#en#zh#1#"));
    EXPECT_EQ(four.infoText(true), QStringLiteral("zh#1"));
    // A marker with nothing after it is no link.
    const AppConfig empty = AppConfig::fromText(QStringLiteral("CanJump=1\n#InterLinkage:   \n#zh#"));
    EXPECT_TRUE(empty.infoLink(false).isEmpty());
    EXPECT_EQ(empty.infoText(false), QStringLiteral("InterLinkage:   <br>"));
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
    file.write("\xEF\xBB\xBF");
    file.write(QStringLiteral("Title=梅里达\r\nCanShowOffline=1\r\n#en#中文#").toUtf8());
    file.close();
    const AppConfig cfg = AppConfig::fromFile(path);
    EXPECT_EQ(cfg.titleKey(), QStringLiteral("Title"));
    EXPECT_EQ(cfg.title(), QStringLiteral("梅里达\r"));
    EXPECT_TRUE(cfg.isOn(Switch::CanShowOffline));
    EXPECT_EQ(cfg.infoText(true), QStringLiteral("中文"));
}

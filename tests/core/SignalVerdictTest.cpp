#include "SignalVerdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace SignalVerdict;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(SignalVerdict, ThresholdEdges)
{
    const Thresholds t; // -25.0 present, -40.0 cancelled
    const struct
    {
        double db;
        bool present, inWindow, cancelled;
    } rows[] = {
        {-25.0, false, false, false}, {-24.9, true, false, false}, {-25.1, false, false, false},
        {-20.5, true, false, false},  {-20.4, true, true, false},  {-19.6, true, true, false},
        {-19.5, true, false, false},  {-20.0, true, true, false},  {-40.0, false, false, false},
        {-40.1, false, false, true},  {-96.0, false, false, true}, {-kInf, false, false, true},
        {0.0, true, false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.db);
        EXPECT_EQ(isPresent(r.db, t), r.present);
        EXPECT_EQ(isInOutputWindow(r.db), r.inWindow);
        EXPECT_EQ(isCancelled(r.db, t), r.cancelled);
    }
    // The user's thresholds replace the defaults; the output window is fixed.
    const Thresholds own{-30.0, -60.0};
    EXPECT_TRUE(isPresent(-29.9, own));
    EXPECT_FALSE(isPresent(-30.0, own));
    EXPECT_TRUE(isCancelled(-60.1, own));
    EXPECT_FALSE(isCancelled(-60.0, own));
}

TEST(SignalVerdict, LevelTextsNeverPassWhenUnreadable)
{
    const struct
    {
        const char* text;
        double db; // NaN: -inf expected
    } rows[] = {{"-20.0", -20.0}, {" -19.7 ", -19.7}, {"-inf", NAN}, {"", NAN},
                {"abc", NAN},     {"nan", NAN},       {"inf", NAN},  {"-23.5dB", NAN}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        const double got = levelFromText(QString::fromLatin1(r.text));
        if (std::isnan(r.db))
            EXPECT_EQ(got, -kInf);
        else
            EXPECT_DOUBLE_EQ(got, r.db);
        EXPECT_FALSE(std::isnan(got));
    }
    EXPECT_EQ(levelText(-kInf), "-inf");
    EXPECT_EQ(levelText(-20.04), "-20.0");
}

ChannelLevels healthy(int channel)
{
    ChannelLevels l;
    l.channel = channel;
    l.idleNetIn = -kInf;
    l.sourceOut = -20.0;
    l.netIn = -20.0;
    l.analogOut = -20.0;
    l.analogIn = -20.0;
    l.netOut = -20.0;
    l.cancelled = -96.0;
    return l;
}

TEST(SignalVerdict, FirstFailingPointOfThePathIsNamed)
{
    const Thresholds t;
    const struct
    {
        const char* what;
        double ChannelLevels::*field;
        double db;
        const char* message; // null: passes
    } rows[] = {
        {"healthy", nullptr, 0, nullptr},
        {"idle input carries a level", &ChannelLevels::idleNetIn, -24.0,
         "通道3=>无路由时测试设备网络输入有电平:-24.0dBFS"},
        {"idle input at the threshold", &ChannelLevels::idleNetIn, -25.0, nullptr},
        {"source silent", &ChannelLevels::sourceOut, -kInf, "通道3=>信号源网络输出电平异常:-infdBFS"},
        {"route missing", &ChannelLevels::netIn, -25.0, "通道3=>有路由时测试设备网络输入电平异常:-25.0dBFS"},
        {"output 6 dB low", &ChannelLevels::analogOut, -26.0, "通道3=>测试设备模拟输出电平异常:-26.0dBFS"},
        {"output at the low edge", &ChannelLevels::analogOut, -20.5, "通道3=>测试设备模拟输出电平异常:-20.5dBFS"},
        {"output at the high edge", &ChannelLevels::analogOut, -19.5, "通道3=>测试设备模拟输出电平异常:-19.5dBFS"},
        {"output just inside", &ChannelLevels::analogOut, -19.6, nullptr},
        {"loopback open", &ChannelLevels::analogIn, -kInf, "通道3=>测试设备模拟输入电平异常:-infdBFS"},
        {"transmit silent", &ChannelLevels::netOut, -30.0, "通道3=>测试设备网络输出电平异常:-30.0dBFS"},
        {"cancellation at the threshold", &ChannelLevels::cancelled, -40.0, "通道3=>反相抵消后电平过高:-40.0dBFS"},
        {"cancellation just below", &ChannelLevels::cancelled, -40.1, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        ChannelLevels l = healthy(3);
        if (r.field)
            l.*r.field = r.db;
        const Result res = judge(l, t);
        EXPECT_EQ(res.passed, r.message == nullptr);
        if (r.message)
            EXPECT_EQ(res.message, QString::fromUtf8(r.message));
        else
            EXPECT_TRUE(res.message.startsWith(QStringLiteral("通道3=>输入电平:"))) << res.message.toStdString();
    }
    // An amplifier has no analog input to check: its output's level is the one shown.
    ChannelLevels amp = healthy(2);
    amp.hasAnalogIn = false;
    amp.analogIn = -kInf;
    amp.analogOut = -19.8;
    const Result ampResult = judge(amp, t);
    EXPECT_TRUE(ampResult.passed);
    EXPECT_TRUE(ampResult.message.startsWith(QStringLiteral("通道2=>输入电平:-19.8dBFS")))
        << ampResult.message.toStdString();
    // Two faults: the one nearer the source is reported.
    ChannelLevels two = healthy(1);
    two.netIn = -kInf;
    two.analogOut = -kInf;
    EXPECT_TRUE(judge(two, t).message.contains(QStringLiteral("网络输入")));
}

TEST(SignalVerdict, PassingLineAndSummary)
{
    const Result res = judge(healthy(12), Thresholds{});
    EXPECT_EQ(res.message, QStringLiteral("通道12=>输入电平:-20.0dBFS，反相抵消后电平:-96.0dbFS, 测试通过."));
    EXPECT_EQ(summaryHtml(true), QStringLiteral("<strong><font size=5 color=green>测试通过</font></strong>"));
    EXPECT_TRUE(summaryHtml(false).contains(QStringLiteral("color=red")));
    EXPECT_EQ(resultHtml("a<b", false), QStringLiteral("<strong><font size=5 color=red>a&lt;b</font></strong>"));
}

} // namespace

// The microphone processor's command texts and the reader of its answers: every code with its channel digit and
// value, the ranges at their edges, and garbled or hostile answers that must change nothing.
#include "MicAnswerParser.h"
#include "MicCommands.h"
#include "MicState.h"

#include <gtest/gtest.h>

namespace {

struct CommandCase
{
    MicCode code;
    int channel;
    int value;
    const char* read; ///< "" when there is no read of it
    const char* set;  ///< "" when the set is refused
};

class MicCommandTest : public ::testing::TestWithParam<CommandCase>
{
};

TEST_P(MicCommandTest, TextsOfReadAndSet)
{
    const CommandCase& c = GetParam();
    EXPECT_EQ(MicCommands::read(c.code, c.channel), QString::fromLatin1(c.read));
    EXPECT_EQ(MicCommands::set(c.code, c.channel, c.value), QString::fromLatin1(c.set));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, MicCommandTest,
    ::testing::Values(
        CommandCase{MicCode::Aec, -1, 3, "IEr1\r\n", "IEs13\r\n"},
        CommandCase{MicCode::Aec, 1, 0, "IEr1\r\n", "IEs10\r\n"},
        CommandCase{MicCode::Aec, 1, 5, "IEr1\r\n", "IEs15\r\n"}, CommandCase{MicCode::Aec, 1, 6, "IEr1\r\n", ""},
        CommandCase{MicCode::Aec, 1, -1, "IEr1\r\n", ""},
        CommandCase{MicCode::Aec, 2, 1, "", ""}, // the single settings live on channel 1 only
        CommandCase{MicCode::Afc, -1, 2, "IFr1\r\n", "IFs12\r\n"},
        CommandCase{MicCode::Agc, -1, 1, "IAr1\r\n", "IAs11\r\n"}, CommandCase{MicCode::Agc, -1, 2, "IAr1\r\n", ""},
        CommandCase{MicCode::Anc, -1, 4, "INr1\r\n", "INs14\r\n"},
        CommandCase{MicCode::Headphone, -1, 1, "ITr3\r\n", "ITs31\r\n"}, CommandCase{MicCode::Headphone, 1, 1, "", ""},
        CommandCase{MicCode::InGain, 0, -60, "IGr0\r\n", "IGs0-60\r\n"},
        CommandCase{MicCode::InGain, 3, 24, "IGr3\r\n", "IGs324\r\n"},
        CommandCase{MicCode::InGain, 2, 25, "IGr2\r\n", ""}, CommandCase{MicCode::InGain, 2, -61, "IGr2\r\n", ""},
        CommandCase{MicCode::InGain, 4, 0, "", ""}, CommandCase{MicCode::InGain, -1, 0, "", ""},
        CommandCase{MicCode::InMute, 1, 1, "IMr1\r\n", "IMs11\r\n"},
        CommandCase{MicCode::OutGain, 2, -6, "OVr2\r\n", "OVs2-6\r\n"},
        CommandCase{MicCode::OutMute, 0, 1, "OMr0\r\n", "OMs01\r\n"},
        CommandCase{MicCode::OutMute, 0, 2, "OMr0\r\n", ""}, CommandCase{MicCode::Save, -1, 0, "", ""}));

TEST(MicCommands, ReadAllCoversEverySettingOnce)
{
    QStringList reads = MicCommands::readAll();
    EXPECT_EQ(reads.mid(0, 5), QStringList({"IEr1\r\n", "IFr1\r\n", "IAr1\r\n", "INr1\r\n", "ITr3\r\n"}));
    EXPECT_EQ(reads.size(), 5 + 4 * MicCommands::kChannels);
    EXPECT_EQ(reads.removeDuplicates(), 0);
    EXPECT_TRUE(reads.contains("OMr3\r\n"));
    EXPECT_EQ(MicCommands::save(), "SSs1\r\n");
}

struct AnswerCase
{
    const char* text;
    bool accepted;
    MicCode code;
    int channel;
    int value;
};

AnswerCase refused(const char* text)
{
    return AnswerCase{text, false, MicCode::Aec, 0, 0};
}

class MicAnswerTest : public ::testing::TestWithParam<AnswerCase>
{
};

TEST_P(MicAnswerTest, LineIsReadOrRefused)
{
    const AnswerCase& c = GetParam();
    const std::optional<MicAnswer> a = MicAnswerParser::parseLine(QString::fromLatin1(c.text));
    ASSERT_EQ(a.has_value(), c.accepted) << c.text;
    if (!a)
        return;
    EXPECT_EQ(a->code, c.code) << c.text;
    EXPECT_EQ(a->channel, c.channel) << c.text;
    EXPECT_EQ(a->value, c.value) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    EveryCode, MicAnswerTest,
    ::testing::Values(
        AnswerCase{"IEr13", true, MicCode::Aec, 1, 3}, AnswerCase{"IFr10", true, MicCode::Afc, 1, 0},
        AnswerCase{"INr15", true, MicCode::Anc, 1, 5}, AnswerCase{"IAr11", true, MicCode::Agc, 1, 1},
        AnswerCase{"ITr31", true, MicCode::Headphone, 3, 1}, AnswerCase{"IGr2-12", true, MicCode::InGain, 2, -12},
        AnswerCase{"IGr0-60", true, MicCode::InGain, 0, -60}, AnswerCase{"IGr324", true, MicCode::InGain, 3, 24},
        AnswerCase{"IMr31", true, MicCode::InMute, 3, 1}, AnswerCase{"OVr1-6", true, MicCode::OutGain, 1, -6},
        AnswerCase{"OMr00", true, MicCode::OutMute, 0, 0}, AnswerCase{"SSs1", true, MicCode::Save, 1, 0},
        AnswerCase{"  IEr12 \r", true, MicCode::Aec, 1, 2}, // line ends and blanks around
        refused("IEr1007")));                               // leading zeros, beyond the levels

INSTANTIATE_TEST_SUITE_P(Garbage, MicAnswerTest,
                         ::testing::Values(refused(""), refused("IEr1"),                         // no value
                                           refused("IEr23"),                                     // wrong channel
                                           refused("ITr13"), refused("IEs13"),                   // a set echo
                                           refused("XXr13"), refused("ieR13"), refused("IGrx5"), // no digit
                                           refused("IGr4-6"), refused("IGr9-6"), refused("IGr1-61"), refused("IGr125"),
                                           refused("IEr16"), refused("IEr1-1"), refused("IAr12"), refused("IMr12"),
                                           refused("IEr1abc"), refused("IEr13.5"), refused("IEr1 3"), refused("IEr1+3"),
                                           refused("IEr1--3"), refused("IEr1-"),
                                           refused("IGr199999999999"), // huge
                                           refused("SSs1OK"), refused("SSs0"), refused("SSr1"), refused("OK")));

TEST(MicAnswerParser, ApplyChangesOnlyWhatTheAnswersSay)
{
    MicState state;
    bool saved = false;
    EXPECT_EQ(MicAnswerParser::apply("IEr13\r\nOVr2-6\r\nOK\r\nIEr1x\r\nIMr11\r\n", state, &saved), 3);
    EXPECT_FALSE(saved);
    MicState expected;
    expected.aecLev = 3;
    expected.outChGain[2] = -6;
    expected.inChMute[1] = 1;
    EXPECT_EQ(state, expected);
    // The same answers again change nothing; a confirmation of the save is reported.
    EXPECT_EQ(MicAnswerParser::apply("IEr13\r\nSSs1\r\n", state, &saved), 0);
    EXPECT_TRUE(saved);
    EXPECT_EQ(state, expected);
}

TEST(MicAnswerParser, HostileTextsChangeNothing)
{
    MicState state;
    const MicState before = state;
    // Too long as a whole, even though it starts with a good answer.
    QString flood = QStringLiteral("IEr13\r\n") + QString(MicAnswerParser::kMaxTextChars, QLatin1Char('A'));
    EXPECT_EQ(MicAnswerParser::apply(flood, state), 0);
    // A very long line, binary bytes, a NUL inside the code.
    EXPECT_EQ(MicAnswerParser::apply(QString(1000, QLatin1Char('7')), state), 0);
    EXPECT_EQ(MicAnswerParser::apply(QString::fromLatin1("\xff\xfe\x01IEr13", 8), state), 0);
    EXPECT_EQ(MicAnswerParser::apply(QString::fromLatin1("IE\0r13", 6), state), 0);
    EXPECT_EQ(state, before);
}

TEST(MicAnswerParser, LinesBeyondTheLimitAreNotRead)
{
    QString text;
    for (int i = 0; i < MicAnswerParser::kMaxLines; ++i)
        text += QStringLiteral("OK\r\n");
    EXPECT_TRUE(MicAnswerParser::parse(text + QStringLiteral("IEr13\r\n")).isEmpty());
    EXPECT_EQ(MicAnswerParser::parse(QStringLiteral("\r\n\r\n\r\nIEr13")).size(), 1) << "blank lines do not count";
}

TEST(MicState, RangesAndDebugLine)
{
    MicState s;
    EXPECT_FALSE(s.setValue(MicCode::Aec, -1, 6));
    EXPECT_FALSE(s.setValue(MicCode::InGain, 4, 0));
    EXPECT_FALSE(s.setValue(MicCode::Save, -1, 0));
    EXPECT_TRUE(s.setValue(MicCode::InGain, 3, -20));
    EXPECT_FALSE(s.setValue(MicCode::InGain, 3, -20)) << "unchanged";
    EXPECT_TRUE(s.setValue(MicCode::Headphone, -1, MicCommands::kHeadphoneLocal));
    EXPECT_EQ(s.value(MicCode::InGain, 3), -20);
    EXPECT_EQ(s.value(MicCode::Headphone), 1);
    EXPECT_EQ(s.value(MicCode::OutGain, 7), 0);
    const QString line = s.debugLine();
    EXPECT_TRUE(line.startsWith("MicInfo: => aecLev=0 afcLev=0 ancLev=0 agcLev=0 headphoneSource=1 "))
        << line.toStdString();
    EXPECT_TRUE(line.contains(" inChGain3=-20 ")) << line.toStdString();
    EXPECT_TRUE(line.endsWith(" outChMute3=0")) << line.toStdString();
}

} // namespace

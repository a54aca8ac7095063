// The advanced commands of a factory configuration: every kind of fault is refused with its line, column and
// what was expected there, and a refused text yields no commands at all.

#include "DspCommandParser.h"

#include <gtest/gtest.h>

namespace {

struct RefusedCase
{
    const char* name;
    const char* text;
    int line;
    int column;
    const char* expected; ///< a part of the English expectation
};

class DspCommandRefusalTest : public ::testing::TestWithParam<RefusedCase>
{
};

// A 4 x 3 configuration throughout.
TEST_P(DspCommandRefusalTest, RefusedWithItsPosition)
{
    const RefusedCase c = GetParam();
    const DspCommandParser::Result r = DspCommandParser::parse(QString::fromUtf8(c.text), 4, 3);
    ASSERT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.error.line, c.line) << c.text;
    EXPECT_EQ(r.error.column, c.column) << c.text;
    EXPECT_TRUE(r.error.expectedEn.contains(QString::fromUtf8(c.expected)))
        << c.text << " -> " << r.error.expectedEn.toStdString();
    EXPECT_FALSE(r.error.expectedZh.isEmpty());
    EXPECT_TRUE(r.plan.commands.isEmpty()) << "nothing of a refused text is kept";
}

const RefusedCase kRefused[] = {
    {"UnknownCommand", "route#in#1#(0,0,0,0)", 1, 1, "a command name"},
    {"KeywordsAreCaseSensitive", "Comm#in#1#(0,0,0,0)", 1, 1, "a command name"},
    {"MissingSeparator", "comm", 1, 5, "\"#\""},
    {"BadDirection", "comm#up#1#(0,0,0,0)", 1, 6, "in or out"},
    {"ChannelZero", "comm#in#0#(0,0,0,0)", 1, 9, "an input channel 1..4"},
    {"ChannelBeyondCount", "proc#out#4#eq", 1, 10, "an output channel 1..3"},
    {"HugeRangeEnd", "proc#in#1-99999999#eq", 1, 11, "an input channel 1..4"},
    {"OverlongRangeEnd", "proc#in#1-9999999999#eq", 1, 11, "at most 9 digits"},
    {"HugeNumberInLaterLine", "\ncomm#in#12345678901234567890#(0,0,0,0)", 2, 9, "at most 9 digits"},
    {"RangeBeyondCount", "proc#in#1-9#eq", 1, 11, "an input channel 1..4"},
    {"RangeBackwards", "proc#in#3-1#eq", 1, 11, "not below 3"},
    {"EmptyChannelSet", "proc#in##eq", 1, 9, "an input channel"},
    {"TrailingComma", "proc#in#1,#eq", 1, 11, "an input channel"},
    {"CommFourValues", "comm#in#1#(0,0,0)", 1, 17, "\",\""},
    {"CommUnclosed", "comm#in#1#(0,0,0,0", 1, 19, "\")\""},
    {"CommGainAbove", "comm#in#1#(12.5,0,0,0)", 1, 12, "a gain -72..12"},
    {"CommGainBelow", "comm#in#1#(-73,0,0,0)", 1, 12, "a gain -72..12"},
    {"CommGainNotANumber", "comm#in#1#(x,0,0,0)", 1, 12, "a gain"},
    {"CommGainDotWithoutDigits", "comm#in#1#(1.,0,0,0)", 1, 14, "a gain"},
    {"CommMuteTwo", "comm#in#1#(0,2,0,0)", 1, 14, "0 or 1"},
    {"CommGroupSixteen", "comm#in#1#(0,0,0,16)", 1, 18, "a group -1..15"},
    {"UnknownBlock", "proc#in#1#eq,reverb", 1, 14, "a block name"},
    {"NoBlock", "proc#in#1#", 1, 11, "a block name"},
    {"EqNoBands", "proc#in#1#eq(0)", 1, 14, "a band count 1..64"},
    {"EqTooManyBands", "proc#in#1#eq(65)", 1, 14, "a band count 1..64"},
    {"ArgumentOnAnotherBlock", "proc#in#1#hpf(2)", 1, 14, "the end of the line"},
    {"MatrixGroupsOnOneSide", "matrix#[1;2]#1", 1, 14, "\"[\""},
    {"MatrixGroupsOnlyOnOutputs", "matrix#1#[1]", 1, 10, "not grouped"},
    {"MatrixGroupCounts", "matrix#[1;2]#[1]", 1, 14, "as many groups as the inputs (2)"},
    {"MatrixUnclosedGroup", "matrix#[1;2#[1;2]", 1, 12, "\"]\""},
    {"MatrixGainBelow", "matrix#1#1#-48.25", 1, 12, "a matrix gain -48..12"},
    {"MatrixOutputBeyond", "matrix#*#1-4", 1, 12, "an output channel 1..3"},
    {"GainSharedFlag", "gainShared#1#2", 1, 14, "0 or 1"},
    {"GainSharedInputsOnlyOutputs", "gainShared#4", 1, 12, "an output channel 1..3"},
    {"CoreBeyond", "core#in#1#2", 1, 11, "a core number -1..1"},
    {"CoreBelow", "core#in#1#-2", 1, 11, "a core number -1..1"},
    {"TrailingText", "core#in#1#0 more", 1, 13, "the end of the line"},
    {"SecondCommandOnOneLine", "core#in#1#0#core", 1, 12, "the end of the line"},
    {"FaultOnThirdLine", "comm#in#1#(0,0,0,0)\r\n\r\nproc#in#1#bogus", 3, 11, "a block name"},
};

INSTANTIATE_TEST_SUITE_P(Commands, DspCommandRefusalTest, ::testing::ValuesIn(kRefused),
                         [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST(DspCommandParser, ReadsEveryCommandWithItsValues)
{
    const QString text = QStringLiteral("  comm # in # 1-2,4 # (-6.5, 1, *, 3)\n"
                                        "\n"
                                        "proc#out#*#EQ(8),hpf,lpf,compress\n"
                                        "matrix#[1;2-3]#[3;1]#-3.25\n"
                                        "matrix#*#2\n"
                                        "gainShared#1,3\n"
                                        "gainShared#3#0\n"
                                        "core#out#2-3#1\n");
    const DspCommandParser::Result r = DspCommandParser::parse(text, 4, 3);
    ASSERT_TRUE(r.ok()) << r.error.text(false).toStdString();
    ASSERT_EQ(r.plan.commands.size(), 7);

    const DspCommand& comm = r.plan.commands[0];
    EXPECT_EQ(comm.type, DspCommand::Comm);
    EXPECT_EQ(comm.line, 1);
    EXPECT_TRUE(comm.isInput);
    EXPECT_EQ(comm.channels, (QVector<int>{0, 1, 3}));
    EXPECT_EQ(comm.gainDb, -6.5);
    EXPECT_EQ(comm.mute, true);
    EXPECT_FALSE(comm.inverse.has_value()) << "\"*\" keeps the value";
    EXPECT_EQ(comm.groupId, 3);

    const DspCommand& proc = r.plan.commands[1];
    EXPECT_EQ(proc.type, DspCommand::Proc);
    EXPECT_EQ(proc.line, 3);
    EXPECT_FALSE(proc.isInput);
    EXPECT_EQ(proc.channels, (QVector<int>{0, 1, 2}));
    ASSERT_EQ(proc.blocks.size(), 4);
    EXPECT_EQ(proc.blocks[0].bandCount, 8);
    EXPECT_EQ(proc.blocks[0].column, 12);
    EXPECT_TRUE(proc.blocks[1].hpf);
    EXPECT_FALSE(proc.blocks[2].hpf);
    EXPECT_EQ(proc.blocks[2].kind, proc.blocks[1].kind);
    EXPECT_EQ(proc.blocks[3].name, QStringLiteral("compress"));

    const DspCommand& grouped = r.plan.commands[2];
    ASSERT_EQ(grouped.routes.size(), 2);
    EXPECT_EQ(grouped.routes[0].first, QVector<int>{0});
    EXPECT_EQ(grouped.routes[0].second, QVector<int>{2});
    EXPECT_EQ(grouped.routes[1].first, (QVector<int>{1, 2}));
    EXPECT_EQ(grouped.routes[1].second, QVector<int>{0});
    EXPECT_EQ(grouped.matrixGainDb, -3.25);
    const DspCommand& plain = r.plan.commands[3];
    ASSERT_EQ(plain.routes.size(), 1);
    EXPECT_EQ(plain.routes[0].first, (QVector<int>{0, 1, 2, 3}));
    EXPECT_EQ(plain.matrixGainDb, 0);

    EXPECT_EQ(r.plan.commands[4].channels, (QVector<int>{0, 2}));
    EXPECT_TRUE(r.plan.commands[4].share);
    EXPECT_FALSE(r.plan.commands[5].share);
    EXPECT_EQ(r.plan.commands[6].core, 1);
    EXPECT_EQ(r.plan.commands[6].channels, (QVector<int>{1, 2}));
}

TEST(DspCommandParser, OverlappingRangesGiveEachChannelOnce)
{
    const DspCommandParser::Result r = DspCommandParser::parse(QStringLiteral("core#in#3,1-3,2,3-3#0"), 4, 1);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.plan.commands[0].channels, (QVector<int>{0, 1, 2}));
}

TEST(DspCommandParser, BlankTextIsThePlainLayout)
{
    for (const char* text : {"", "\n\n", "   \r\n\t\n"}) {
        const DspCommandParser::Result r = DspCommandParser::parse(QString::fromUtf8(text), 2, 2);
        EXPECT_TRUE(r.ok()) << text;
        EXPECT_TRUE(r.plan.commands.isEmpty());
    }
}

TEST(DspCommandParser, TextAndCommandCountsAreBounded)
{
    QString many;
    for (int i = 0; i < DspCommandParser::MaxCommands; ++i)
        many += QStringLiteral("core#in#1#0\n");
    EXPECT_TRUE(DspCommandParser::parse(many, 1, 1).ok()) << "exactly the limit";
    many += QStringLiteral("\n\ncore#in#1#0\n");
    DspCommandParser::Result r = DspCommandParser::parse(many, 1, 1);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error.line, DspCommandParser::MaxCommands + 3);
    EXPECT_EQ(r.error.column, 1);

    // One endless line: refused where the text passes its bound, without reading the rest.
    const QString endless =
        QStringLiteral("proc#in#1#") + QString(10 * DspCommandParser::MaxTextLength, QLatin1Char('e'));
    r = DspCommandParser::parse(endless, 1, 1);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error.line, 1);
    EXPECT_EQ(r.error.column, DspCommandParser::MaxTextLength + 1);
    EXPECT_TRUE(r.error.expectedEn.contains(QStringLiteral("characters")));
}

TEST(DspCommandParser, CrosspointsOfAllMatrixCommandsAreBounded)
{
    // A full 512 x 512 matrix four times fits; a fifth is refused on its own line.
    QString text;
    for (int i = 0; i < 4; ++i)
        text += QStringLiteral("matrix#*#*\n");
    EXPECT_TRUE(DspCommandParser::parse(text, 512, 512).ok());
    text += QStringLiteral("matrix#1#1\n");
    const DspCommandParser::Result r = DspCommandParser::parse(text, 512, 512);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error.line, 5);
    EXPECT_TRUE(r.error.expectedEn.contains(QStringLiteral("fewer crosspoints")));
}

TEST(DspCommandParser, BracketGroupsAndBlocksPerCommandAreBounded)
{
    QStringList blocks;
    for (int i = 0; i <= DspCommandParser::MaxBlocksPerCommand; ++i)
        blocks.append(QStringLiteral("delay"));
    const QString proc = QStringLiteral("proc#in#1#") + blocks.join(',');
    const DspCommandParser::Result r = DspCommandParser::parse(proc, 1, 1);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error.column, 11 + 6 * DspCommandParser::MaxBlocksPerCommand);

    QStringList groups;
    for (int i = 0; i <= DspCommandParser::MaxGroups; ++i)
        groups.append(QStringLiteral("1"));
    const QString side = QStringLiteral("[") + groups.join(';') + QStringLiteral("]");
    EXPECT_FALSE(DspCommandParser::parse(QStringLiteral("matrix#%1#%1").arg(side), 1, 1).ok());
}

TEST(DspCommandParser, ErrorTextNamesThePlaceInBothLanguages)
{
    const DspCommandParser::Result r = DspCommandParser::parse(QStringLiteral("core#in#9#0"), 4, 4);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error.text(true), QStringLiteral("命令解析异常：第 1 行第 9 列：应为输入通道号 1..4"));
    EXPECT_EQ(r.error.text(false),
              QStringLiteral("Command parse error: line 1, column 9: expected an input channel 1..4"));
}

TEST(DspCommandParser, ChannelsOfAnEmptySideAreRefused)
{
    const DspCommandParser::Result r = DspCommandParser::parse(QStringLiteral("core#out#1#0"), 4, 0);
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error.expectedEn.contains(QStringLiteral("there are none")));
    // "*" of an empty side names no channel and is no fault.
    EXPECT_TRUE(DspCommandParser::parse(QStringLiteral("core#out#*#0"), 4, 0).ok());
}

} // namespace

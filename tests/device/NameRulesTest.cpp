#include "NameRules.h"

#include <gtest/gtest.h>

namespace {

struct NameCase
{
    const char* label;
    QString text;
    QString current;
    NameRules::Verdict verdict;
    QString tip;
    QString hint;
};

class NameRulesCheck : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(NameRulesCheck, JudgesTheTrimmedText)
{
    const NameCase& c = GetParam();
    const NameRules::Result r = NameRules::check(c.text, c.current);
    EXPECT_EQ(r.verdict, c.verdict);
    EXPECT_EQ(r.tip, c.tip);
    EXPECT_EQ(r.name, c.text.trimmed());
    EXPECT_EQ(NameRules::liveHint(c.text), c.hint);
}

const QString kEmptyTip = "设置失败,名字不能为空";
const QString kSpecialTip = "设置失败，不能包含特殊字符";
const QString kLongTip = "设置失败，长度不能过长";
const QString kEmptyHint = "提示:名字不能为空";
const QString kSpecialHint = "提示:名字不能有特殊字符";
const QString kLongHint = "提示:名字不能太长";

INSTANTIATE_TEST_SUITE_P(
    Names, NameRulesCheck,
    ::testing::Values(NameCase{"thirty", QString(30, QLatin1Char('a')), "old", NameRules::Accepted, {}, {}},
                      NameCase{"thirtyOne", QString(31, QLatin1Char('a')), "old", NameRules::TooLong, kLongTip,
                               kLongHint},
                      // Blanks around the name are trimmed before counting.
                      NameCase{"thirtyPadded",
                               QStringLiteral("  ") + QString(30, QLatin1Char('b')) + QStringLiteral(" "),
                               "old",
                               NameRules::Accepted,
                               {},
                               {}},
                      NameCase{"dashUnderscoreBlank", "Stage Left-1_A", "old", NameRules::Accepted, {}, {}},
                      NameCase{"chineseLetters", "舞台 左", "old", NameRules::Accepted, {}, {}},
                      NameCase{"dot", "Stage.1", "old", NameRules::SpecialChar, kSpecialTip, kSpecialHint},
                      NameCase{"slash", "a/b", "old", NameRules::SpecialChar, kSpecialTip, kSpecialHint},
                      NameCase{"tab", "a\tb", "old", NameRules::SpecialChar, kSpecialTip, kSpecialHint},
                      // A special character wins over the length: the user fixes the character first.
                      NameCase{"longAndSpecial", QString(31, QLatin1Char('c')) + ".", "old", NameRules::SpecialChar,
                               kSpecialTip, kSpecialHint},
                      NameCase{"empty", "", "old", NameRules::Empty, kEmptyTip, kEmptyHint},
                      NameCase{"blanksOnly", "   ", "old", NameRules::Empty, kEmptyTip, kEmptyHint},
                      NameCase{"unchanged", " Mixer ", "Mixer", NameRules::Unchanged, {}, {}},
                      NameCase{"caseIsAChange", "mixer", "Mixer", NameRules::Accepted, {}, {}},
                      // Clearing a name that was already empty is still refused, not silently ignored.
                      NameCase{"emptyToEmpty", "", "", NameRules::Empty, kEmptyTip, kEmptyHint}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.label); });

} // namespace

#include "ReplyFields.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

QJsonObject parse(const char* json)
{
    return QJsonDocument::fromJson(json).object();
}

struct TextCase
{
    const char* json;
    const char* expected;
};

class ReplyFieldsText : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(ReplyFieldsText, ReadsStringsAndNumbersAlike)
{
    EXPECT_EQ(ReplyFields::text(parse(GetParam().json), "v"), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Values, ReplyFieldsText,
                         ::testing::Values(TextCase{R"({"v":"12"})", "12"}, TextCase{R"({"v":12})", "12"},
                                           // a large devId-like number must not turn into 1.2e+09
                                           TextCase{R"({"v":1234567890})", "1234567890"},
                                           TextCase{R"({"v":-3.5})", "-3.5"}, TextCase{R"({"v":" x "})", " x "},
                                           TextCase{R"({"v":true})", "true"}, TextCase{R"({"v":[1]})", ""},
                                           TextCase{R"({"w":"1"})", ""}));

TEST(ReplyFields, NumbersFallBackWhenNotWhole)
{
    const QJsonObject o = parse(R"({"a":"7","b":"x","c":" 9 ","d":"2.5","e":"nan"})");
    EXPECT_EQ(ReplyFields::number(o, "a"), 7);
    EXPECT_EQ(ReplyFields::number(o, "b", -1), -1);
    EXPECT_EQ(ReplyFields::number(o, "c"), 9);
    EXPECT_EQ(ReplyFields::number(o, "d", -1), -1);
    EXPECT_EQ(ReplyFields::number(o, "missing", 4), 4);
    EXPECT_DOUBLE_EQ(ReplyFields::real(o, "d"), 2.5);
    EXPECT_DOUBLE_EQ(ReplyFields::real(o, "e", -1.0), -1.0);
}

TEST(ReplyFields, ResultOnlyFailsWhenPresentAndNotSucc)
{
    EXPECT_FALSE(ReplyFields::failed(parse(R"({"ops":"x"})")));
    EXPECT_FALSE(ReplyFields::failed(parse(R"({"result":"succ"})")));
    EXPECT_TRUE(ReplyFields::failed(parse(R"({"result":"fail"})")));
    EXPECT_FALSE(ReplyFields::succeeded(parse(R"({"ops":"x"})")));
    EXPECT_TRUE(ReplyFields::succeeded(parse(R"({"result":"succ"})")));
}

} // namespace

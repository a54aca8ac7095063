// The allocation-free reader of multicast datagrams must accept and read exactly what
// QJsonDocument does, apart from the few inputs it refuses on purpose.

#include "FlatJson.h"
#include "DevManager.h"
#include "DvmJson.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const char* const kNames[] = {"a", "ops", "ip"};

class DvmFlatJson : public ::testing::TestWithParam<const char*>
{
};

TEST_P(DvmFlatJson, AgreesWithQJsonDocument)
{
    const QByteArray text(GetParam());
    JsonSlice m[3];
    const bool mine = FlatJson::parse(text.constData(), text.size(), kNames, 3, m);
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    ASSERT_EQ(err.error == QJsonParseError::NoError && doc.isObject(), mine) << qPrintable(err.errorString());
    const QJsonObject obj = doc.object();
    for (int i = 0; i < 3; ++i) {
        const QJsonValue v = obj.value(QLatin1String(kNames[i]));
        char a[64];
        char b[64];
        FlatJson::readText(m[i], a, sizeof a);
        dvm::readText(v, b, sizeof b);
        EXPECT_STREQ(b, a) << kNames[i];
        int64_t x = 0;
        int64_t y = 0;
        EXPECT_EQ(dvm::readInt64(v, &y), FlatJson::readInt64(m[i], &x)) << kNames[i];
        EXPECT_EQ(y, x) << kNames[i];
        EXPECT_EQ(v.isString() ? dvm_parseIp(v.toString()) : 0u, FlatJson::readIp(m[i])) << kNames[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DvmFlatJson,
    ::testing::Values(
        // Accepted.
        R"({"ops":"iAmVeranto","a":"42","ip":"10.77.0.11"})", R"( {"a" : " -7 " , "ip":"1.2.3.4/24"} )", R"({})",
        R"({"a":{"x":[1,2.5e3,true,false,null,{"y":[]}]},"ops":"x"})", R"({"a":"\u0041\u00e9\ud83d\ude00"})",
        R"({"a":"\ud800x"})", R"({"a":"\"\\\/\b\f\n\r\t"})", R"({"a":"\q\4"})", "{\"a\":\"\x01\x7f\"}",
        "{\"a\":\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"}", "\xef\xbb\xbf{\"a\":\"1\"}",
        "{\"a\":\"\xef\xbb\xbf"
        "12\"}",
        "{\"a\":\"\xef\xbb\xbfx\\n\"}", R"({"a":12})", R"({"a":-0})", R"({"a":1.})", R"({"a":.5})", R"({"a":-.5e1})",
        R"({"a":99999999999999999999})", R"({"a":-9223372036854775808})", R"({"a":true,"ip":null})",
        R"({"\u0061":"7","ops":"x","a":"8"})", R"({"a":"99999999999999999999999"})", R"({"a":"1 2"})", R"({"a":"+3"})",
        R"({"ip":"\u0031.2.3.4"})", R"({"ip":"300.1.1.1"})",
        R"({"a":"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\u00e9"})",
        // Refused.
        "", "   ", "[1,2]", R"("a")", R"({"a":1} x)", R"({"a":1,})", R"({,})", R"({"a":[1,]})", R"({"a"})", R"({"a":})",
        R"({"a":tru})", R"({"a":+5})", R"({"a":-})", R"({"a":01})", R"({"a":1e})", R"({"a":1e400})", R"({"a":.})",
        R"({"a":"\u12"})", R"({"a":"\u12G4"})", R"({"a":"x)", R"({"a":"x\)", R"({a:1})", "{\"a\":\"\xc3\"}",
        "{\"a\":\"\xc0\x80\"}", "{\"a\":\"\xed\xa0\x80\"}", "{\"a\":\"\xf4\x90\x80\x80\"}", "{\"a\":\"\xff\"}",
        "{\"a\":1}\n\n}"));

TEST(DvmFlatJsonRefusals, InputsQJsonDocumentGarblesAreRefused)
{
    JsonSlice m[3];
    const char nul[] = "{\"a\":\"x\0y\"}";
    EXPECT_FALSE(FlatJson::parse(nul, int(sizeof nul) - 1, kNames, 3, m)) << "a NUL inside a text";
    const char highEscape[] = "{\"a\":\"\\\x9c\"}";
    EXPECT_FALSE(FlatJson::parse(highEscape, int(sizeof highEscape) - 1, kNames, 3, m));
    EXPECT_EQ(JsonSlice::Absent, m[0].kind);
    const char dup[] = R"({"a":"1","a":"2"})";
    ASSERT_TRUE(FlatJson::parse(dup, int(sizeof dup) - 1, kNames, 3, m));
    EXPECT_EQ(2, FlatJson::readInt32(m[0])) << "the last occurrence wins";
    const char deep[] = "{\"a\":"
                        "[[[[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]]]]"
                        "}";
    EXPECT_TRUE(FlatJson::parse(deep, int(sizeof deep) - 1, kNames, 3, m));
    EXPECT_EQ(JsonSlice::Nested, m[0].kind);
    EXPECT_FALSE(FlatJson::equals(m[0], "1"));
}

} // namespace

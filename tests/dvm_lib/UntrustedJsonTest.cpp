// Texts that would make Qt's JSON parser leak (a repeated member whose value is an object or array) are refused;
// everything else reads exactly as QJsonDocument reads it.

#include "UntrustedJson.h"

#include <QByteArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

int scan(const QByteArray& text)
{
    return dvm::repeatedContainerMember(text.constData(), text.size());
}

QJsonDocument qtParse(const QByteArray& text)
{
    QJsonParseError error;
    return QJsonDocument::fromJson(text, &error);
}

} // namespace

TEST(UntrustedJson, RefusesARepeatedMemberWithAContainerValueWhereverItIs)
{
    const struct
    {
        const char* text;
        int at; ///< offset of the repeated name
    } cases[] = {
        {R"({"a":{"b":1},"a":{"b":1}})", 13},
        {R"({"a":[1,2],"a":[3]})", 11},
        {R"({"a":1,"a":{}})", 7},                                // the later value a container
        {R"({"a":{},"a":1})", 8},                                // the earlier one
        {R"({"a":1,"a":2,"a":[]})", 13},                         // after plain repeats
        {R"([0,{"x":[{"k":[1],"k":2}]}])", 18},                  // deep inside arrays
        {R"({"a":{},"\u0061":{}})", 8},                          // the same name escaped
        {"{\"\xC3\xA9\":[],\"\\u00e9\":[]}", 9},                 // raw UTF-8 against its escape
        {"{\"\xF0\x9F\x98\x80\":{},\"\\ud83d\\ude00\":{}}", 11}, // a surrogate pair
        {R"({"q\"x":{} , "q\"x" : {}})", 13},                    // an escaped quote in the name, spaces around
        {R"({"aq":{},"a\q":{}})", 9},                            // Qt reads an unknown escape as the character itself
    };
    for (const auto& c : cases) {
        const QByteArray text(c.text);
        EXPECT_EQ(scan(text), c.at) << c.text;
        // Otherwise sound JSON: with the repeated name made unique, Qt reads it (Qt itself would leak on the original).
        QByteArray unique = text;
        ASSERT_FALSE(qtParse(unique.insert(c.at + 1, 'z')).isNull()) << c.text;
        QJsonDocument doc = qtParse(R"({"stale":1})");
        EXPECT_EQ(dvm::parseUntrustedJson(text, &doc), dvm::JsonVerdict::Refused) << c.text;
        EXPECT_TRUE(doc.isNull()) << c.text;
    }
}

TEST(UntrustedJson, AcceptsWhatCannotLeakAndReadsItAsQtDoes)
{
    const char* const texts[] = {
        R"({"a":1,"a":2})", // plain repeats: Qt keeps the last, nothing leaks
        R"({"a":"x","a":"y","a":null})",
        R"([{"a":{}},{"a":{}}])",              // the same name in sibling objects
        R"({"a":{"a":{"a":[]}}})",             // and at different depths
        R"({"a":{},"A":{}})",                  // names differ by case
        R"({"s":"\"a\":{},\"a\":{}","a":{}})", // a value that looks like members
        R"({"ops":"getConfig","blocks":[{"id":1,"v":[1.5e-3,-2,true,false,null]}],"id":2})",
        "  \n{\"\xE4\xBC\x9A\":{}}\r\n",
        R"([])",
    };
    for (const char* t : texts) {
        const QByteArray text(t);
        EXPECT_EQ(scan(text), -1) << t;
        QJsonDocument doc;
        ASSERT_EQ(dvm::parseUntrustedJson(text, &doc), dvm::JsonVerdict::Parsed) << t;
        EXPECT_EQ(doc, qtParse(text)) << t;
    }
}

TEST(UntrustedJson, StopsWhereTheTextStopsBeingJson)
{
    // Qt stops reading at the same place, so a repeat after it cannot be reached.
    const char* const texts[] = {
        R"({"a":{}, x "a":{}})", R"({"a":{"b" 1},"a":{}})", "{\"\xFF\":{},\"\xFF\":{}}", R"({"a":{},)", "OK\r\n", "",
        R"("just a string")",
    };
    for (const char* t : texts) {
        const QByteArray text(t);
        EXPECT_EQ(scan(text), -1) << t;
        QJsonDocument doc;
        EXPECT_EQ(dvm::parseUntrustedJson(text, &doc), dvm::JsonVerdict::Malformed) << t;
        EXPECT_TRUE(doc.isNull());
    }
    EXPECT_EQ(dvm::repeatedContainerMember(nullptr, 10), -1);
}

TEST(UntrustedJson, HostileShapesCostLinearWorkAndNoStack)
{
    // Nesting far beyond Qt's limit: refused by Qt, scanned without recursion.
    QByteArray deep = QByteArray(200000, '[') + QByteArray(200000, ']');
    EXPECT_EQ(scan(deep), -1);
    QJsonDocument doc;
    EXPECT_EQ(dvm::parseUntrustedJson(deep, &doc), dvm::JsonVerdict::Malformed);

    // Many distinct members, then one repeat at the very end.
    QByteArray wide = "{";
    for (int i = 0; i < 20000; ++i)
        wide += "\"k" + QByteArray::number(i) + "\":{},";
    const int last = wide.size();
    wide += "\"k7\":[]}";
    EXPECT_EQ(scan(wide), last);
}

// The configuration's own JSON reader and writer, checked against QJsonDocument.

#include "CDeviceDspData.h"
#include "DspJsonTree.h"
#include "DspJsonWriter.h"
#include "DspTestConfig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

TEST(DspJsonTextTest, AcceptsWhatQJsonDocumentAccepts)
{
    const QList<QByteArray> texts{
        "{}", "[]", " { \"a\" : [ 1 , -2.5e3 , true , false , null , \"x\" ] } ", "\"s\"", "0", "-0.5",
        "[\"ctl \x01\"]", "[1e5,1E-5,0.25]", R"({"k":"\u00e9\n\t\\\"\/"})", "{\"a\":{\"b\":{\"c\":[[[]]]}}}",
        // Malformed:
        "", "{", "[1,]", "{\"a\":1,}", "{\"a\" 1}", "[01]", "[1e]", "[-]", "[tru]", "[nul]", "\"unterminated",
        "\"bad \\x escape\"", "\"\\u12G4\"", "{} x", "[1] [2]", "{1:2}", "[+1]", "[NaN]"};
    for (const QByteArray& text : texts) {
        QJsonParseError error;
        QJsonDocument::fromJson(text, &error);
        DspJsonTree tree;
        EXPECT_EQ(tree.parse(text), error.error == QJsonParseError::NoError) << text.constData();
        EXPECT_EQ(tree.root().isValid(), error.error == QJsonParseError::NoError) << text.constData();
    }
    // Numbers are strict where QJsonDocument is lenient: the configuration carries its numbers as texts anyway.
    DspJsonTree tree;
    EXPECT_FALSE(tree.parse("[1.]"));
    EXPECT_FALSE(tree.parse("[.5]"));
}

TEST(DspJsonTextTest, NestingIsBounded)
{
    DspJsonTree tree;
    EXPECT_TRUE(tree.parse(QByteArray(DspJsonTree::MaxDepth, '[') + QByteArray(DspJsonTree::MaxDepth, ']')));
    EXPECT_FALSE(tree.parse(QByteArray(100000, '[') + QByteArray(100000, ']')));
    EXPECT_FALSE(tree.root().isValid());
}

TEST(DspJsonTextTest, ValuesReadLikeTheConfigurationWants)
{
    DspJsonTree tree;
    ASSERT_TRUE(tree.parse(R"({"i":"42","n":-7,"h":"0x1F","big":"18446744073709551615","f":"2.5","e":"1e3",
        "sp":" 12 ","neg":"-0x5","bad":"12abc","inf":"inf","huge":"1e400","t":true,"one":"1","zero":"0",
        "s":"caf\u00e9 \"q\"","obj":{"x":"1"},"arr":["a","b","c"],"esc\u0041":"k"})"));
    const DspJsonValue r = tree.root();
    // Whole numbers in decimal, exponent or C hexadecimal (signed too) form, blanks around allowed; a failed read
    // leaves the target as it was.
    const struct
    {
        const char* key;
        bool ok;
        int value;
    } ints[] = {{"i", true, 42},   {"n", true, -7},        {"h", true, 31},     {"sp", true, 12},
                {"e", true, 1000}, {"neg", true, -5},      {"bad", false, 123}, {"big", false, 123},
                {"f", false, 123}, {"missing", false, 123}};
    for (const auto& c : ints) {
        int i = 123;
        EXPECT_EQ(r.readInt(QLatin1String(c.key), &i), c.ok) << c.key;
        EXPECT_EQ(i, c.value) << c.key;
    }
    quint64 u = 0;
    EXPECT_TRUE(r[QLatin1String("big")].toUInt64(&u));
    EXPECT_EQ(u, ~quint64(0));
    qint64 s = 0;
    EXPECT_TRUE(r.readInt64(QLatin1String("big"), &s));
    EXPECT_EQ(s, -1);

    double d = 0;
    EXPECT_TRUE(r.readDouble(QLatin1String("f"), &d));
    EXPECT_DOUBLE_EQ(d, 2.5);
    EXPECT_FALSE(r.readDouble(QLatin1String("inf"), &d));
    EXPECT_FALSE(r.readDouble(QLatin1String("huge"), &d));
    EXPECT_DOUBLE_EQ(d, 2.5);

    const struct
    {
        const char* key;
        bool ok, value;
    } bools[] = {{"t", true, true}, {"zero", true, false}, {"one", true, true}, {"missing", false, true}};
    for (const auto& c : bools) {
        bool b = true;
        EXPECT_EQ(r.readBool(QLatin1String(c.key), &b), c.ok) << c.key;
        EXPECT_EQ(b, c.value) << c.key;
    }
    EXPECT_EQ(r[QLatin1String("s")].toString(), QString::fromUtf8("café \"q\""));
    EXPECT_EQ(r[QLatin1String("escA")].toString(), "k"); // escaped member names are found too
    EXPECT_EQ(r[QLatin1String("arr")].size(), 3);
    EXPECT_EQ(r[QLatin1String("arr")].at(2).toString(), "c");
    EXPECT_FALSE(r[QLatin1String("arr")].at(3).isValid());
    EXPECT_EQ(r[QLatin1String("obj")].rawJson(), R"({"x":"1"})");
    EXPECT_EQ(r[QLatin1String("obj")].first().key(), "x");
    EXPECT_FALSE(r[QLatin1String("arr")][QLatin1String("x")].isValid());
}

TEST(DspJsonTextTest, WriterTextEqualsQJsonDocument)
{
    DspJsonWriter inner(DspJsonWriter::ArrayKind);
    inner.append(QString::fromUtf8("naïve \"quoted\" \\ back\nline\x01\x7f"));
    inner.appendNumber(0.1);
    inner.appendInt(-5);
    inner.appendUInt(~quint64(0));
    inner.appendFlag(true);
    DspJsonWriter obj;
    obj.add(QLatin1String("zeta"), QStringLiteral("z"));
    obj.addRaw(QLatin1String("arr"), inner.finish());
    obj.addNumber(QLatin1String("attackMs"), 1e-7);
    obj.addNumber(QLatin1String("attDb"), 123456789);
    obj.addFlag(QLatin1String("Upper"), false);

    const QJsonObject expected{{"zeta", "z"},
                               {"arr", QJsonArray{QString::fromUtf8("naïve \"quoted\" \\ back\nline\x01\x7f"), "0.1",
                                                  "-5", "18446744073709551615", "1"}},
                               {"attackMs", "1e-07"},
                               {"attDb", "1.23457e+08"},
                               {"Upper", "0"}};
    EXPECT_EQ(obj.finish(), QJsonDocument(expected).toJson(QJsonDocument::Compact));

    for (double v : {0.0, -0.0, 1.5, -48.25, 20001.0, 1000.1, 1e21, 123456.5, 1.0 / 3, 31.7, 2.5e-5})
        EXPECT_EQ(DspJsonWriter::numberText(v), QString::number(v, 'g', 6).toLatin1()) << v;
}

TEST(DspJsonTextTest, ConfigurationTextEqualsItsObject)
{
    CDeviceDspData data;
    dsptest::setInfo(data, 16, 16);
    data.parse(dsptest::reply(dsptest::realisticConfig()), "3.2.0");
    data.setCustomStr(QString::fromUtf8("Zone \"A\" – 東"));
    data.groups()[1].name = QStringLiteral("tab\there");
    const QByteArray text = data.writeConfigText("3.2.0");
    EXPECT_EQ(text, QJsonDocument(data.writeConfig("3.2.0")).toJson(QJsonDocument::Compact));
    // And the object holds what the text says.
    EXPECT_EQ(data.writeConfig("3.2.0").value("customStr").toString(), QString::fromUtf8("Zone \"A\" – 東"));
}

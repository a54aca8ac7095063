#include "SimCommandHandlers.h"
#include "SimTestUtil.h"

#include <QRandomGenerator>

using namespace simtest;

namespace {

QJsonObject only(const QVector<QByteArray>& replies)
{
    EXPECT_EQ(replies.size(), 1);
    return replies.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(replies.first()).object();
}

} // namespace

TEST(SimCommandHandlers, EveryTableRequestIsAnswered)
{
    SimNetwork::Options o;
    o.pageSize = 3;
    auto net = generated(2, o);
    for (int t = 0; t <= int(SimTable::ActiveMcast); ++t) {
        const QString ops = SimDevice::opsForTable(SimTable(t));
        const QJsonObject r =
            only(net->handlers().handleDatagram(*net, 1, "{\"ops\":\"" + ops.toUtf8() + "\",\"idStart\":\"0\"}"));
        EXPECT_EQ(r.value("ops").toString(), ops);
        EXPECT_EQ(r.value("idStart").toString(), QStringLiteral("0"));
        EXPECT_EQ(num(r.value("idNext")), std::min(3, net->device(1).tableCount(SimTable(t))));
    }
    const QJsonObject second = only(net->handlers().handleDatagram(*net, 1, R"({"ops":"getAllRxCh","idStart":"3"})"));
    EXPECT_EQ(second.value("idNext").toString(), QStringLiteral("6"));
    EXPECT_EQ(second.value("arr").toArray().size(), 1); // rx 3 only
    // A number where text is expected is tolerated, and answered as text.
    const QJsonObject numeric = only(net->handlers().handleDatagram(*net, 0, R"({"ops":"getAllRxCh","idStart":8})"));
    EXPECT_EQ(numeric.value("idStart").toString(), QStringLiteral("8"));
}

TEST(SimCommandHandlers, OddDatagramsAreIgnored)
{
    auto net = generated(1);
    const QByteArray odd[] = {"",
                              "not json",
                              "[]",
                              "\"text\"",
                              "{}",
                              R"({"ops":"noSuchOps","idStart":"0"})",
                              R"({"ops":7})",
                              R"({"ops":"getAllRxCh"})",
                              R"({"ops":"getAllRxCh","idStart":"-1"})",
                              R"({"ops":"getAllRxCh","idStart":"abc"})",
                              R"({"ops":"getAllRxCh","idStart":"17"})",
                              R"({"ops":"getAllRxCh","idStart":"99999999999999"})",
                              R"({"ops":"getAllRxCh","idStart":{}})",
                              R"({"ops":"getAllRxCh","idStart":"0x1"})",
                              QByteArray("{\"ops\":\"getAllRxCh\0\",\"idStart\":\"0\"}", 34)};
    for (const QByteArray& d : odd)
        EXPECT_TRUE(net->handlers().handleDatagram(*net, 0, d).isEmpty()) << d.toStdString();

    // Random bytes and random cuts of a valid request never crash the device.
    const QByteArray valid = R"({"ops":"getAllUcastTx","idStart":"0"})";
    QRandomGenerator rng(1234);
    for (int i = 0; i < 2000; ++i) {
        QByteArray d = valid.left(int(rng.bounded(valid.size() + 1)));
        for (int k = 0; k < 3 && !d.isEmpty(); ++k)
            d[int(rng.bounded(d.size()))] = char(rng.bounded(256));
        net->handlers().handleDatagram(*net, 0, d);
    }
}

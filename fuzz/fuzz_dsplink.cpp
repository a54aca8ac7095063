// The processor link's receive path as the dialog runs it: a hostile TCP stream cut into frames by caps that depend
// on the requests sent, each message read once, configuration replies into the model and the matrix and meter
// replies into their handlers. The first byte chooses how many configuration requests were sent (each grants one
// large frame) and the chunk size; the rest is the stream. Caps are small here so that the fuzzer reaches them.

#include "BorderProcStatus.h"
#include "CDeviceDspData.h"
#include "DspCpuFigures.h"
#include "DspJsonTree.h"
#include "DspMatrix.h"
#include "DspMatrixReader.h"
#include "DspMatrixRequests.h"
#include "DspTcpFramer.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QVector>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int kSmallCap = 2048;
constexpr int kLargeCap = 64 * 1024;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        __builtin_trap();
    }
}

void checkConfigBounds(const CDeviceDspData& data)
{
    check(data.groups().size() <= CDeviceDspData::MaxGroups, "groups bounded");
    int all = 0;
    for (const CInputChannel* in : data.inputs()) {
        check(in->blocks().size() <= CDeviceDspData::MaxBlocksPerChannel, "input chain bounded");
        all += in->blocks().size();
    }
    for (const COutputChannel* out : data.outputs()) {
        check(out->blocks().size() <= CDeviceDspData::MaxBlocksPerChannel, "output chain bounded");
        all += out->blocks().size();
    }
    check(all <= CDeviceDspData::MaxBlocks, "blocks in all bounded");
}

void handle(const QByteArray& message, bool large, CDeviceDspData& data, DspMatrix& matrix, DspMatrixReader& reader)
{
    check(message.size() <= (large ? kLargeCap : kSmallCap), "message within its cap");
    DspJsonTree tree;
    tree.parse(message);
    const DspJsonValue root = tree.root();
    const DspJsonValue ops = root[QLatin1String("ops")];
    if (ops.textEquals(QLatin1String("getConfig")) || ops.textEquals(QLatin1String("getConfigByName"))) {
        data.parseConfig(root[QLatin1String("config")], QStringLiteral("3.2.0"));
        checkConfigBounds(data);
        return;
    }
    if (ops.textEquals(QLatin1String("getCpuUsage"))) {
        // The dialog's load figures, from the items of "arr" as it collects them.
        QStringList items;
        const DspJsonValue arr = root[QLatin1String("arr")];
        for (DspJsonValue v = arr.first(); v.isValid(); v = v.next())
            items << v.toString();
        DspCpuFigures& cpu = DspCpuFigures::instance();
        cpu.update(items);
        check(std::abs(cpu.average()) <= 1000000 && std::abs(cpu.minimum()) <= 1000000 &&
                  std::abs(cpu.maximum()) <= 1000000,
              "load figures bounded");
        return;
    }
    // The pages read their replies as objects; the text is small here by the cap.
    const QJsonObject reply = QJsonDocument::fromJson(message).object();
    if (const auto page = DspMatrixRequests::applyPage(matrix, reply)) {
        check(page->outIndex >= 0 && page->outIndex < matrix.columns(), "page output inside the matrix");
        reader.next(*page);
    }
    if (reply.value(QStringLiteral("ops")).toString() == QLatin1String("getBorderProcStatus")) {
        // A dynamics block's status meter, read as the block editor reads it.
        const double gain =
            reply.value(QStringLiteral("obj")).toObject().value(QStringLiteral("gain")).toString().toDouble();
        const int db = BorderProcStatus::meterDb(gain);
        check(db >= BorderProcStatus::MinDb && db <= 20 * 309, "status meter bounded");
    }
    QVector<double> rows(matrix.rows());
    QVector<double> columns(matrix.columns());
    const int written = DspMatrixRequests::applyMeter(reply, 2, 2, 2, 2, rows, columns);
    check(written >= 0 && written <= 8, "meter writes only the channels it has");
    check(rows.size() == matrix.rows() && columns.size() == matrix.columns(), "meter lists keep their size");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1 << 20)
        return 0;
    const uint8_t selector = data[0];
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), int(size - 1));

    DspTcpFramer framer;
    framer.setMaxMessage(kSmallCap);
    framer.setMaxLargeMessage(kLargeCap);
    const int requests = selector & 7;
    for (int i = 0; i < requests; ++i)
        framer.expectReplyTo(i % 2 ? QByteArrayLiteral(R"({"devId":"A1", "ops":"getConfigByName","name":"a"})")
                                   : QByteArrayLiteral(R"({"devId":"A1", "ops":"getConfig"})"));
    check(framer.largeGrants() == qMin(requests, int(DspTcpFramer::kMaxLargeGrants)), "grants bounded");

    CDeviceDspData model;
    model.info().chNumIn = 4;
    model.info().chNumOut = 4;
    DspMatrix matrix(4, 4);
    DspMatrixReader reader;
    reader.startWhole(matrix.rows(), matrix.columns(), selector & 8, 0, 0);

    const int chunk = 1 + (selector >> 4) * 97;
    for (int pos = 0; pos < stream.size() && !framer.isBroken(); pos += chunk) {
        const int grantsBefore = framer.largeGrants();
        const QList<QByteArray> messages = framer.feed(stream.mid(pos, chunk));
        check(framer.buffered() <= kLargeCap + DspTcpFramer::kHeaderSize, "held bytes bounded");
        check(framer.largeGrants() <= grantsBefore, "a frame never adds grants");
        for (const QByteArray& message : messages)
            handle(message, message.size() > kSmallCap, model, matrix, reader);
        framer.errors();
    }
    return 0;
}

// Table replies of one device. The first 12 bytes of the input give the six announced counts
// (signed 16-bit, so negative and over-size counts occur); the rest is split at '\n' into
// replies from that device, each followed by a synchronisation step; UcastModel follows the same
// replies and the stored tables are compared with it.

#include "DevManager.h"
#include "FuzzRegistry.h"
#include "UcastModel.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

int count16(const uint8_t* p)
{
    return static_cast<int16_t>(static_cast<uint16_t>((p[0] << 8) | p[1]));
}

QByteArray announcement(const uint8_t* counts)
{
    static const char* const names[] = {"chNumRx", "chNumTx", "ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx"};
    QByteArray msg = "{\"ops\":\"iAmVeranto\",\"devId\":\"MD0A4D0001\",\"name\":\"Fuzzed\",\"ip\":\"10.77.0.10\","
                     "\"port\":\"9990\",\"sampleRate\":\"48000\",\"sampleByteNum\":\"3\",\"pFrameNum\":\"48\","
                     "\"myClkId\":\"00-1D-C1-FF-FE-00-00-01\",\"model\":\"MRD-A64\",\"canWork\":\"1\"";
    for (int i = 0; i < 6; ++i) {
        msg += ",\"" + QByteArray(names[i]) + "\":\"" + QByteArray::number(count16(counts + 2 * i)) + "\"";
    }
    return msg + "}";
}

void mcastOp(FuzzRegistry& reg, const char* msg)
{
    reg.mcast(reinterpret_cast<const uint8_t*>(msg), std::char_traits<char>::length(msg));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    FuzzRegistry::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 12) {
        return -1; // keep such inputs out of the corpus
    }
    FuzzRegistry& reg = FuzzRegistry::instance();
    reg.reset();
    const QByteArray ann = announcement(data);
    reg.mcast(reinterpret_cast<const uint8_t*>(ann.constData()), static_cast<size_t>(ann.size()));
    reg.check();
    if (!findDevByIp(FuzzRegistry::kDeviceIp)) {
        __builtin_trap(); // a valid announcement must list the device
    }
    UcastModel model;
    for (const QByteArray& dgram : FuzzRegistry::split(data + 12, size - 12, 32)) {
        reg.ucast(reinterpret_cast<const uint8_t*>(dgram.constData()), static_cast<size_t>(dgram.size()));
        model.reply(dgram);
        model.compare(*findDevByIp(FuzzRegistry::kDeviceIp));
        reg.timer(20);
        reg.check();
    }
    // Invalidations restart fetching from whatever state the replies left.
    mcastOp(reg, "{\"ops\":\"updateRoute\"}");
    mcastOp(reg, "{\"ops\":\"updateActive\"}");
    model.invalidate(false);
    model.invalidate(true);
    model.compare(*findDevByIp(FuzzRegistry::kDeviceIp));
    reg.timer(20);
    reg.check();
    return 0;
}

// SAP datagrams: the parser alone, then storing, refreshing and ageing of the stream.

#include "DevManager.h"
#include "FuzzRegistry.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    FuzzRegistry::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t len = size < FuzzRegistry::kMaxDatagram ? size : FuzzRegistry::kMaxDatagram;
    std::vector<char> buf(len + 1);
    if (len) {
        std::memcpy(buf.data(), data, len);
    }
    buf[len] = '\0';

    McastRecord rec;
    std::memset(&rec, 0xa5, sizeof rec); // stale bytes show up if a field is left unterminated
    if (parseSapAnnounce(buf.data(), static_cast<int>(len), &rec) == 1) {
        const StreamDesc& s = rec.stream;
        if (!std::memchr(rec.name, '\0', sizeof rec.name) ||
            !std::memchr(rec.ptpClockId, '\0', sizeof rec.ptpClockId) || s.chNum < 1 || s.chNum > 8 ||
            s.sampleByteNum < 1 || s.sampleByteNum > 4 || s.srcIp == 0 || s.dstIp == 0 || s.dstPort == 0) {
            __builtin_trap();
        }
    }

    FuzzRegistry& reg = FuzzRegistry::instance();
    reg.reset();
    reg.sap(data, size);
    reg.check();
    reg.sap(data, size); // the refresh path: same destination, no second notification
    reg.check();
    reg.timer(DVM_LIFE_MS);
    reg.check();
    if (!getAllMcasts().empty()) {
        __builtin_trap();
    }
    return 0;
}

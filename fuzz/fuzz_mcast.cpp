// Device multicast datagrams: announcements, route and active invalidations, clock events.
// The input is split at '\n' into datagrams; a housekeeping step follows each, and devices live
// only 100 ms, so ageing and re-adding run on fuzzed state too. Each datagram is also read with
// QJsonDocument and the stored announcement compared with it.

#include "DevManager.h"
#include "FuzzRegistry.h"
#include "McastOracle.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    FuzzRegistry::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzRegistry& reg = FuzzRegistry::instance();
    McastOracle oracle;
    reg.reset();
    dvm_setAnnounceLifeMs(100); // the reset restores the normal life
    for (const QByteArray& dgram : FuzzRegistry::split(data, size, 32)) {
        // A second sender makes "the device at the sender's address" sometimes another one.
        const uint32_t src = dgram.startsWith(' ') ? FuzzRegistry::kDeviceIp + 1 : FuzzRegistry::kDeviceIp;
        oracle.before();
        reg.mcast(reinterpret_cast<const uint8_t*>(dgram.constData()), static_cast<size_t>(dgram.size()), src);
        oracle.after(dgram, src);
        reg.timer(20);
        reg.check();
    }
    // Everything ages out: each live device and stream must leave with exactly one notification.
    reg.timer(DVM_LIFE_MS);
    reg.check();
    if (!getAllDevs().empty() || !getAllMcasts().empty()) {
        __builtin_trap();
    }
    return 0;
}

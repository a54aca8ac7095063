// Clock events: the last PTP servo state and frequency correction of each device.

#include "DvmState.h"

namespace dvm {

int handleClockEvent(const JsonSlice members[M_COUNT], uint32_t srcIp)
{
    DevRecord* rec = findDevByIp(srcIp);
    if (!rec)
        return 0;
    DvmState& s = state();
    if (FlatJson::equals(members[M_EVENT], "masterOffset")) {
        const int32_t ptpState = FlatJson::readInt32(members[M_STATE]);
        std::lock_guard<std::mutex> guard(s.lock);
        rec->ptpState = ptpState;
        return 1;
    }
    if (FlatJson::equals(members[M_EVENT], "adjustFreq")) {
        const int32_t ppm = FlatJson::readInt32(members[M_PPM]);
        std::lock_guard<std::mutex> guard(s.lock);
        rec->ppm = ppm;
        return 1;
    }
    return 0;
}

} // namespace dvm

#include "McastEntry.h"

#include "DevDetail.h"
#include "DevManager.h"

#include <cstring>

McastEntry McastEntry::fromRecord(const McastRecord& rec)
{
    McastEntry e;
    e.name = QString::fromUtf8(rec.name, int(strnlen(rec.name, sizeof rec.name)));
    e.sdp = QString::fromUtf8(rec.sdp, int(strnlen(rec.sdp, sizeof rec.sdp)));
    e.chNames = s_dev_detail::numberedNames(QStringLiteral("out"), rec.stream.chNum);
    e.dstIp = rec.stream.dstIp;
    return e;
}

McastEntry McastEntry::fromRegistry(uint32_t dstIp)
{
    McastRecord copy;
    if (!dvm_copyMcast(findMcastByDstIp(dstIp), &copy))
        return McastEntry();
    return fromRecord(copy);
}

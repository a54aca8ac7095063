#include "OfflineDevDetail.h"

bool OfflineDevDetail::operator==(const OfflineDevDetail& o) const
{
    return devId == o.devId && devName == o.devName && sampleRate == o.sampleRate && delayMs == o.delayMs &&
           ptpDscp == o.ptpDscp && dscp == o.dscp && ptpPriority == o.ptpPriority &&
           sampleBitDepth == o.sampleBitDepth && sampleByteNum == o.sampleByteNum && packetTime == o.packetTime &&
           pFrameNum == o.pFrameNum && isFixIp == o.isFixIp && ipAndMask == o.ipAndMask && dns == o.dns &&
           gateway == o.gateway && xebIp == o.xebIp && xeuIp == o.xeuIp && xServerStr == o.xServerStr &&
           version == o.version && subVersion == o.subVersion && model == o.model && devModel == o.devModel &&
           oemModel == o.oemModel && customType == o.customType && chNumRx == o.chNumRx && chNumTx == o.chNumTx &&
           phyChNumRx == o.phyChNumRx && phyChNumTx == o.phyChNumTx && usbInNum == o.usbInNum &&
           usbOutNum == o.usbOutNum && canGpio == o.canGpio && devListInfo == o.devListInfo &&
           gpioInfoList == o.gpioInfoList && channelData == o.channelData && mcastList == o.mcastList;
}

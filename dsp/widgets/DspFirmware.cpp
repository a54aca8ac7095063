#include "DspFirmware.h"

#include "CDeviceDspData.h"
#include "DevDetailStore.h"

QString dspFirmwareText(const CDeviceDspData* data, const QString& devId)
{
    if (data != nullptr && !data->info().version.isEmpty())
        return data->info().version;
    return DevDetailStore::instance().getDevDetail(devId).firmwareVersion;
}

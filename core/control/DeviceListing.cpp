#include "DeviceListing.h"

#include "DevDetailStore.h"
#include "DevManager.h"
#include "DeviceRequests.h"
#include "FactoryAccess.h"
#include "ModelTable.h"

DeviceListing::Outcome DeviceListing::add(DevDetailStore& store, const ModelTable& models, const QString& devId,
                                          bool firstRequests)
{
    // The factory show-all flag lists expansion modules as devices of their own.
    if (models.isExpansionModule(devId) && !FactoryAccess::showAllDevices())
        return NotListed;
    switch (store.addFromRegistry(devId)) {
    case DevDetailStore::NotInRegistry:
        return NotListed;
    case DevDetailStore::AddressTaken: {
        const QByteArray id = devId.toUtf8();
        dvm_setDevLife(findDevById(id.constData()), 0);
        return AddressTaken;
    }
    case DevDetailStore::Added:
        break;
    }
    if (firstRequests) {
        const DevDetail_t detail = store.getDevDetail(devId);
        DeviceRequests::sendAll(DeviceRequests::firstRequests(detail.ip, detail.port));
    }
    store.rebuildModuleMaps();
    return Listed;
}

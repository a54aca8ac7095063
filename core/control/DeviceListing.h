#pragma once
#include <QString>

class DevDetailStore;
class ModelTable;

/// What a front end does when the registry adds a device: lists it in the detail store (expansion modules are
/// shown as part of their host unless the factory show-all flag is set, one address lists one device) and rebuilds the
/// module maps.
class DeviceListing
{
public:
    enum Outcome
    {
        Listed,
        NotListed,   ///< an expansion module (show-all flag off), or gone from the registry already
        AddressTaken ///< another listed device holds its address: the newcomer was given life 0
    };

    /// Lists `devId`; with `firstRequests`, the device's first requests (locks, names, version, ...) are sent.
    static Outcome add(DevDetailStore& store, const ModelTable& models, const QString& devId, bool firstRequests);
};

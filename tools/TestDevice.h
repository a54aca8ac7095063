#pragma once
#include "TestProbeAnswer.h"

#include <QString>
#include <cstdint>

class DevDetailStore;
class ModelTable;

/// One device of the test signal tool's own list: what its probe answer said, and what the device list
/// knows of it (address, command port, channel counts) when the answer names a listed device.
struct TestDevice
{
    QString hostname; ///< from the answer
    QString boardModel;
    QString firmware;
    uint32_t answerIp = 0;

    bool listed = false; ///< the device list knows it; only listed devices can be tested
    QString devId;
    QString name;
    uint32_t ip = 0;
    quint16 port = 0; ///< command port
    int phyInputs = 0;
    int phyOutputs = 0;
    int netInputs = 0;
    int netOutputs = 0;
    bool active = false;
    bool amplifier = false; ///< no physical inputs; its amplifier modules answer on ports 12001 and 12002

    /// "name (devId) address model firmware" for the lists (host name and address for an unknown device).
    QString label() const;
    QString ipText() const;

    /// Resolves an answer: its host name as a devId, a secondary unit's main device, or the device at the
    /// answer's address.
    static TestDevice resolve(const TestProbeAnswer::Answer& answer, const DevDetailStore& store,
                              const ModelTable& models);
};

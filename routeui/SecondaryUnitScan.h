#pragma once
#include <QHostAddress>
#include <QString>
#include <cstdint>

class DevDetailStore;
class ModelTable;

/// The broadcast probe for secondary network units: ask once, wait while events keep running, and
/// record every answer that names a device the registry holds.
class SecondaryUnitScan
{
public:
    struct Config
    {
        uint16_t bindPort = 9999;                      ///< 0: any free port
        QHostAddress target = QHostAddress::Broadcast; ///< where the question goes
        uint16_t targetPort = 9999;
        int waitMs = 1000;
        int maxDatagrams = 512; ///< read at most this many after the wait; the rest are left unread
    };

    /// Runs one probe. Failures to bind or to send are logged and the probe goes on (no answers then).
    /// Returns how many units were recorded.
    static int run(const Config& config, const ModelTable& models, DevDetailStore& store);
};

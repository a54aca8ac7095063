#pragma once

#include <QJsonObject>
#include <QString>

class SimCommandHandlers;
class SimDevice;

/// The processor's stored programs (named configurations) of the DSP models. Program 0, "default", is the
/// factory configuration and can be loaded but not replaced or deleted; at most kMaxPrograms programs in all.
/// Reads answer on UDP 8999 and over the TCP service; the two requests that carry a whole configuration
/// ("getConfigByName", "saveConfigToFile") only over TCP, since a configuration outgrows a datagram. Every
/// change is refused while the DSP lock is set.
class SimDspPrograms
{
public:
    static void addTo(SimCommandHandlers& handlers);

    static constexpr int kMaxPrograms = 20;
    static constexpr int kMaxNameLength = 40;

    /// Letters, digits, "_" and "-", 1 to kMaxNameLength of them.
    static bool isValidName(const QString& name);
    /// The names in list order, program 0 first.
    static QStringList names(SimDevice& device);
    /// The factory configuration (program 0).
    static QJsonObject factory(SimDevice& device);
};

#pragma once

#include <QJsonObject>
#include <QString>

class SimCommandHandlers;
class SimDevice;

/// The processor's stored programs (named configurations) of the DSP models. Program 0, "default", is the
/// factory configuration and can be loaded but not replaced or deleted; at most kMaxPrograms programs in all.
/// "setFactoryConfig" by datagram (the factory-reset button, no configuration) loads program 0 like
/// "loadFromFactory". Reads answer on UDP 8999 and over the TCP service; the two requests that carry a whole
/// configuration
/// ("getConfigByName", "saveConfigToFile") only over TCP, since a configuration outgrows a datagram. Every
/// change is refused while the DSP lock is set.
///
/// Beside them the channel programs: "getChConfigNameArr", "saveChConfig" (a channel's chain under a name),
/// "renameChConfig", "deleteChConfig", "loadChConfig" (onto a channel of the same side), and over TCP
/// "getChConfigByName" and "saveChConfigToFile".
class SimDspPrograms
{
public:
    static void addTo(SimCommandHandlers& handlers);

    static constexpr int kMaxPrograms = 20;
    static constexpr int kMaxNameLength = 40;
    /// Channel programs (one channel's settings and chain under a name): at most this many.
    static constexpr int kMaxChannelPrograms = 32;

    /// Letters, digits, "_" and "-", 1 to kMaxNameLength of them.
    static bool isValidName(const QString& name);
    /// The names in list order, program 0 first.
    static QStringList names(SimDevice& device);
    /// The factory configuration (program 0).
    static QJsonObject factory(SimDevice& device);
};

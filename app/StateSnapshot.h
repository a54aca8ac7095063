#pragma once
#include "DevDetail.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

/// A JSON picture of what the main window holds, written to a file so that tests driving the real
/// application (offscreen, in private network namespaces) can watch its state from outside.
/// Widget-free: the window collects the values, this class only shapes and writes them.
class StateSnapshot
{
public:
    /// The environment variable naming the snapshot file; unset or empty turns snapshots off.
    static constexpr const char* kFileVariable = "MERIDANE_STATE_FILE";

    struct Input
    {
        uint32_t boundIp = 0;       ///< host order; 0 while the network thread holds no address
        bool dialogVisible = false; ///< the interface dialog is on screen
        QString selectedIp;         ///< the confirmed address text (empty while none)
        QStringList addresses;      ///< the interface dialog's candidate addresses, in its order
        QVector<DevDetail_t> devices;
        QMap<QString, uint32_t> secondaryUnits; ///< devId -> unit address (host order)
    };

    /// {"boundIp", "dialogVisible", "selectedIp", "addresses", "devices", "secondaryUnits"}; addresses
    /// are dotted text ("" for a boundIp of 0), devices keep the input's order and carry "devId",
    /// "name", "ip", the four channel-name lists, "model", "type", "macText", "firmwareVersion",
    /// "temperature" (as reported), "routeLock" and "passwordSet".
    static QJsonObject toJson(const Input& input);

    /// The file named by MERIDANE_STATE_FILE, or empty when snapshots are off.
    static QString fileFromEnvironment();

    /// Writes toJson(input) to `path` whole or not at all (a reader never sees half a file).
    /// Returns false, leaving any earlier snapshot in place, when the file cannot be written.
    static bool write(const QString& path, const Input& input);
};

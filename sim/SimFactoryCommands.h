#pragma once

#include <QByteArray>
#include <QStringList>

class SimCommandHandlers;
class SimNetwork;

/// The requests of a device window's test page that go beyond the settings: the factory service on port 12000
/// (SSH start as plain text, factory reset in both spellings, OEM data, also on 9994). The GPIO test lives with the
/// GPIO entries (SimGpioCommands), the second amplifier module with the first (SimChannelCommands).
class SimFactoryCommands
{
public:
    static void addTo(SimCommandHandlers& handlers);

    /// A datagram for the factory service that is not JSON (the SSH start).
    static bool isText(const QByteArray& datagram);
    /// Answers a plain-text request of the factory service: "hostname=<the device's address> startSsh" gives
    /// "startSsh ok" (counted), another address "startSsh fail: hostname mismatch"; anything else, and everything
    /// while the device is silenced or rebooting, nothing.
    static QByteArray handleText(SimNetwork& network, int index, const QByteArray& datagram);

    /// The CPU frequencies "cpuKHz" takes ("0" is the device's own choice, as is "Default").
    static QStringList cpuChoices();
    /// Limits of the OEM data a device keeps: names, values and how many of them.
    static constexpr int kMaxOemNameBytes = 63;
    static constexpr int kMaxOemValueBytes = 255;
    static constexpr int kMaxOemEntries = 32;
    /// Longest plain-text request looked at.
    static constexpr int kMaxTextBytes = 512;
};

#pragma once

#include <QByteArray>
#include <QFlags>
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

class SimNetwork;

/// The UDP services of a device; each command is answered only on the services it belongs to.
enum SimServiceFlag : unsigned
{
    SimServiceCommand = 0x1,      ///< the announced command port
    SimServiceSettings = 0x2,     ///< port 9994
    SimServiceLock = 0x4,         ///< port 9995
    SimServiceDsp = 0x8,          ///< port 8999
    SimServiceAmp = 0x10,         ///< port 9992: device information, amplifier gain and power
    SimServiceCfg = 0x20,         ///< port 9993: configuration text
    SimServiceAmpModule = 0x40,   ///< port 12001: the amplifier module
    SimServiceTunnel = 0x80,      ///< port 7999: raw bytes to the serial port, never JSON
    SimServiceDspTcp = 0x100,     ///< TCP 8999: the processor's configuration (framed JSON, SimDspService)
    SimServiceFactory = 0x200,    ///< port 12000: the factory service (SSH start as raw text, reset, OEM data)
    SimServiceAmpModule2 = 0x400, ///< port 12002: the second amplifier module
};
Q_DECLARE_FLAGS(SimServices, SimServiceFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(SimServices)

/// What a handler sees: the network, the device that received the request, the parsed request and the
/// services of the socket it arrived on.
struct SimRequest
{
    SimNetwork& network;
    int deviceIndex;
    const QJsonObject& message;
    SimServices services;
};

/// A handler returns the replies to send back (usually one; none to stay silent).
using SimHandler = std::function<QVector<QJsonObject>(const SimRequest&)>;

/// The device's command table: "ops" name to handler. Adding a command is adding one handler.
class SimCommandHandlers
{
public:
    /// Registers the built-in commands: the eight "getAll" table reads, the channel-name reads, locks and
    /// password, version, debug info, OEM data, address and custom string.
    SimCommandHandlers();

    /// Adds a command answered on `services` (the command port unless told otherwise). It replaces the
    /// handler of that command on those services only: one name may mean different things on different ports
    /// ("getVersion" on 9994 and on 8999).
    void add(const QString& ops, SimHandler handler, SimServices services = SimServiceCommand);
    bool has(const QString& ops) const { return m_handlers.contains(ops); }
    /// The services a command is answered on; none for an unknown command.
    SimServices servicesOf(const QString& ops) const;

    /// Parses one datagram that arrived on `services` and runs its handler. Returns the compact JSON
    /// replies; empty for a datagram that is not a JSON object, has an unknown "ops", arrived on a service
    /// its command does not belong to, that the handler rejects, or while the device is silenced or
    /// rebooting. Every request with an "ops" is counted in the device's state, answered or not.
    QVector<QByteArray> handleDatagram(SimNetwork& network, int deviceIndex, const QByteArray& datagram,
                                       SimServices services = SimServiceCommand) const;

    /// Reads a decimal-text member ("idStart": "8"); nullopt when absent or not a whole number.
    static std::optional<int> readInt(const QJsonObject& message, const char* key);

private:
    struct Entry
    {
        SimHandler handler;
        SimServices services;
    };
    void addDeviceCommands();

    QHash<QString, QVector<Entry>> m_handlers;
};

#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

class SimNetwork;

/// What a handler sees: the network, the device that received the request and the parsed request.
struct SimRequest
{
    SimNetwork& network;
    int deviceIndex;
    const QJsonObject& message;
};

/// A handler returns the replies to send back (usually one; none to stay silent).
using SimHandler = std::function<QVector<QJsonObject>(const SimRequest&)>;

/// The device's command table: "ops" name to handler. Adding a command is adding one handler.
class SimCommandHandlers
{
public:
    /// Registers the built-in commands (the eight "getAll" table reads).
    SimCommandHandlers();

    void add(const QString& ops, SimHandler handler);
    bool has(const QString& ops) const { return m_handlers.contains(ops); }

    /// Parses one datagram and runs its handler. Returns the compact JSON replies; empty for a datagram
    /// that is not a JSON object, has an unknown "ops", or that the handler rejects.
    QVector<QByteArray> handleDatagram(SimNetwork& network, int deviceIndex, const QByteArray& datagram) const;

    /// Reads a decimal-text member ("idStart": "8"); nullopt when absent or not a whole number.
    static std::optional<int> readInt(const QJsonObject& message, const char* key);

private:
    QHash<QString, SimHandler> m_handlers;
};

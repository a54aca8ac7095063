#pragma once
#include "CtlOptions.h"
#include "MatrixAxis.h"
#include "RouteFacts.h"
#include "RouteSource.h"

#include <QJsonObject>
#include <QStringList>
#include <vector>

class CtlNetwork;

/// `route list`, `route add` and `route remove`: the routing matrix's axes, routes and click checks, driven from
/// the command line.
class CtlRoutes
{
public:
    /// The matrix as the registry shows it now.
    struct Snapshot
    {
        MatrixAxis rows;
        MatrixAxis cols;
        std::vector<RouteEntry> routes;
    };

    CtlRoutes(CtlNetwork& net, const CtlOptions& options) : m_net(net), m_options(options) {}

    int list();
    int add(const QString& sender, const QString& receiver);
    int remove(const QString& receiver);

    static Snapshot snapshot();
    /// One route with the names the matrix shows; "kind" is "unicast" or "multicast".
    static QJsonObject routeJson(const Snapshot& s, const RouteEntry& route);
    /// "sender -> receiver (kind)" for people.
    static QString routeText(const Snapshot& s, const RouteEntry& route);
    /// The route feeding a receive channel, or null.
    static const RouteEntry* routeInto(const Snapshot& s, const QString& recvId, int recvChannel);

private:
    /// Waits (within the discovery time) until the devices are listed long enough for names to be unique, the
    /// names resolve, and the named devices' tables and every channel-name read-out are complete.
    void settle(const QStringList& senders, const QStringList& receivers);
    bool tablesComplete(const QStringList& devIds) const;
    int change(const RouteFacts::Cell& cell, bool adding);
    bool showsChange(const RouteFacts::Cell& cell, bool adding) const;

    CtlNetwork& m_net;
    const CtlOptions& m_options;
};

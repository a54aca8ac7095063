// `route list|add|remove`: the routing matrix's routes and click checks.
#include "CtlCommandTable.h"
#include "CtlRoutes.h"

namespace {

CtlCommand route(const char* sub, CtlOptions::Command id, const char* summary, const char* arguments, int count)
{
    CtlCommand c;
    c.name = QStringLiteral("route ") + QLatin1String(sub);
    c.id = id;
    c.summary = QLatin1String(summary);
    c.arguments = QLatin1String(arguments);
    c.minArgs = c.maxArgs = count;
    return c;
}

[[maybe_unused]] const bool registered = [] {
    CtlCommand list = route("list", CtlOptions::RouteList, "print every route with the names the matrix shows", "", 0);
    list.run = [](CtlNetwork& net, const CtlOptions& o) { return CtlRoutes(net, o).list(); };
    CtlCommand add = route("add", CtlOptions::RouteAdd, "route a sender's channel to a receiver's channel",
                           "SENDER:CH RECEIVER:CH", 2);
    add.run = [](CtlNetwork& net, const CtlOptions& o) { return CtlRoutes(net, o).add(o.args.at(0), o.args.at(1)); };
    CtlCommand remove =
        route("remove", CtlOptions::RouteRemove, "remove the route into a receiver's channel", "RECEIVER:CH", 1);
    remove.run = [](CtlNetwork& net, const CtlOptions& o) { return CtlRoutes(net, o).remove(o.args.at(0)); };
    return CtlCommandTable::add(list) && CtlCommandTable::add(add) && CtlCommandTable::add(remove);
}();

} // namespace

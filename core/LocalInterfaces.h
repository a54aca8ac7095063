#pragma once
#include <QList>
#include <cstdint>

/// The host's IPv4 addresses as the network thread can use them.
namespace LocalInterfaces {

/// True when an interface of the host carries `ip` (host order).
bool carries(uint32_t ip);
/// IPv4 addresses of interfaces that are up and not loopback, in interface order.
QList<uint32_t> usableIpv4();

} // namespace LocalInterfaces

#pragma once
#include "WaitedUdpRequest.h"

#include <QByteArray>
#include <QHostAddress>

/// How the test signal tool reaches a device: one request, one awaited answer. The tool runs it on a worker;
/// implementations must be callable from any thread.
class ServiceLink
{
public:
    virtual ~ServiceLink() = default;
    virtual WaitedUdpRequest::Result request(const QByteArray& text, const QHostAddress& address, quint16 port) = 0;
};

/// The real one: the service request-and-wait over a socket of its own per request.
class UdpServiceLink : public ServiceLink
{
public:
    WaitedUdpRequest::Result request(const QByteArray& text, const QHostAddress& address, quint16 port) override
    {
        return WaitedUdpRequest::send(text, address, port);
    }
};

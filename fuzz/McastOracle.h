#pragma once
// Differential check of the device multicast path against QJsonDocument.

#include "DvmTypes.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

/// Reads a multicast datagram with QJsonDocument, independently of the registry, and checks what
/// the registry made of it: a text that QJsonDocument rejects changes no device header, an
/// announcement that claims a live device's address or identifier changes none either, and any other
/// accepted announcement leaves a device whose fields equal the values QJsonDocument read.
class McastOracle
{
public:
    /// Call before feeding the datagram: remembers the headers of the live devices.
    void before();
    /// Call right after feeding `dgram` (the bytes handed over, without the NUL) from srcIp.
    /// Aborts on a mismatch. Stored clock events ("state", "ppm") are compared too.
    void after(const QByteArray& dgram, uint32_t srcIp) const;

private:
    /// Aborts unless the live devices are those remembered by before() (life aside).
    void expectUnchanged(const std::vector<DevRecord*>& devs, const char* what, const QByteArray& dgram) const;
    /// True when the registry refuses the announcement: it claims a live device's identifier from another
    /// address, or a live device's address under another identifier.
    bool claimsLiveDevice(const QByteArray& devId, uint32_t ip) const;

    std::vector<DevHeader> m_headers;
};

#pragma once
// Differential check of the device multicast path against QJsonDocument.

#include "DvmTypes.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

/// Reads a multicast datagram with QJsonDocument, independently of the registry, and checks what
/// the registry made of it: a text that QJsonDocument rejects changes no device header, and an
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
    std::vector<DevHeader> m_headers;
};

#pragma once
// Shared harness of the registry fuzz targets: hooks, datagram feeding and the invariants
// checked after every step.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

class QJsonObject;

/// One per fuzz process. Tracks the devices and streams that the notifications say are live and
/// aborts (so libFuzzer keeps the input) when the registry's lists disagree with them or a
/// stored record breaks its own rules.
class FuzzRegistry
{
public:
    /// Longest datagram the network thread hands on; a NUL follows it.
    static constexpr int kMaxDatagram = 1499;
    /// Sender of every fuzzed device datagram (a number only: nothing is sent anywhere).
    static constexpr uint32_t kDeviceIp = (10u << 24) | (77u << 16) | 10u;

    static FuzzRegistry& instance();

    /// Frees every slot and forgets what was notified.
    void reset();

    int mcast(const uint8_t* data, size_t size, uint32_t srcIp = kDeviceIp);
    int ucast(const uint8_t* data, size_t size, uint32_t srcIp = kDeviceIp);
    int sap(const uint8_t* data, size_t size, uint32_t srcIp = kDeviceIp);
    void timer(int elapsedMs);

    /// Splits the input at '\n' into at most maxParts datagrams (each cut to kMaxDatagram).
    static std::vector<QByteArray> split(const uint8_t* data, size_t size, int maxParts);

    /// Aborts with a message when the registry is inconsistent.
    void check() const;

private:
    FuzzRegistry();

    static int sendHook(void* ctx, const char* data, int length, uint32_t ip, uint16_t port);
    static void notifyHook(void* ctx, const QJsonObject& msg);
    [[noreturn]] static void fail(const char* what, const QByteArray& detail = QByteArray());

    /// A NUL-terminated copy, as the network thread hands a datagram on.
    static int copyDatagram(const uint8_t* data, size_t size, char* buf);

    std::map<QString, int> m_devs;    ///< devId -> count of addDev minus delDev
    std::map<uint32_t, int> m_mcasts; ///< dstIp -> count of addMcast minus delMcast
};

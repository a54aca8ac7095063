#pragma once
// Drives the registry without sockets: hooks that count, and a simulated device population.

#include "BenchMessages.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

class QJsonObject;

/// Owns the registry's send and notification hooks for its lifetime (one instance at a time).
/// Requests of the synchronisation step are counted and, while answering is on, kept so that
/// completeTables() can answer them after the step returns: the registry is not re-entered from
/// inside its own send call.
class BenchRegistry
{
public:
    BenchRegistry();
    ~BenchRegistry();
    BenchRegistry(const BenchRegistry&) = delete;
    BenchRegistry& operator=(const BenchRegistry&) = delete;

    /// Frees every slot and zeroes the counters.
    void reset();
    /// Announces devices first..first+count-1 through the multicast entry point.
    void announce(int first, int count, const BenchMessages::Shape& shape);
    /// Runs synchronisation steps and answers every request until all live devices hold complete
    /// tables. Returns the number of steps, or -1 when maxSteps did not suffice.
    int completeTables(const BenchMessages::Shape& shape, int maxSteps = 1000);
    /// Number of live devices whose tables are complete.
    int completeCount() const;

    long long sent() const { return m_sent; }
    long long notified() const { return m_notified; }
    void clearCounters();

private:
    struct Request
    {
        uint32_t ip;
        QByteArray data;
    };

    static int sendHook(void* ctx, const char* data, int length, uint32_t ip, uint16_t port);
    static void notifyHook(void* ctx, const QJsonObject& msg);

    bool m_keepRequests = false;
    std::vector<Request> m_requests;
    long long m_sent = 0;
    long long m_notified = 0;
};

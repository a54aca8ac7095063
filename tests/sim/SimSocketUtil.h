#pragma once

// What the tests on real loopback sockets share: an application object, an event pump, free ports.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <memory>

namespace simtest {

class QtApp : public ::testing::Environment
{
public:
    void SetUp() override { m_app = std::make_unique<QCoreApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[8] = "simtest";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_app;
};

/// A loopback block of our own: tests running in parallel must not hear each other's devices.
inline quint32 loopbackBlock()
{
    QRandomGenerator* rng = QRandomGenerator::system();
    return (127u << 24) | (quint32(rng->bounded(100, 250)) << 16) | (quint32(rng->bounded(0, 256)) << 8);
}

/// A port that is free on the loopback addresses right now.
inline quint16 freePort()
{
    QUdpSocket s;
    EXPECT_TRUE(s.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    return s.localPort();
}

/// Runs the event loop until `done` or the time is up.
template <typename F> bool pumpUntil(F done, int ms = 3000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

/// Runs the event loop for `ms`.
inline void pumpFor(int ms)
{
    pumpUntil([] { return false; }, ms);
}

} // namespace simtest

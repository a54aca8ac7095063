#pragma once
#include "CtlOptions.h"

#include <QObject>
#include <memory>

class MyThread;
class RegistryNotifier;
class WatchPrinter;

/// One run of the headless controller: starts the network thread on the chosen address,
/// listens for the given time (or until interrupted), prints, and ends the event loop.
class CtlSession : public QObject
{
    Q_OBJECT
public:
    explicit CtlSession(const CtlOptions& options, QObject* parent = nullptr);
    ~CtlSession() override;

    /// Starts listening. Returns false (with a message on standard error) when the thread
    /// could not work on the address.
    bool start();
    /// Asks the session to print what it has and end (from a signal handler's poll).
    void finish();
    /// What `devices` or `streams` prints: one indented JSON array of the registry as it is now.
    static QByteArray listing(CtlOptions::Command command);

private:
    CtlOptions m_options;
    std::unique_ptr<RegistryNotifier> m_notifier;
    std::unique_ptr<MyThread> m_thread;
    std::unique_ptr<WatchPrinter> m_printer;
    bool m_finished = false;
};

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>

class QSocketNotifier;
class SimDevice;
class SimNetwork;

/// The control channel: one JSON object per line in, one JSON line out per request.
class SimControl : public QObject
{
    Q_OBJECT
public:
    explicit SimControl(SimNetwork& network, QObject* parent = nullptr);

    /// Runs one control request; the answer carries "ok" and, on failure, "error".
    QJsonObject handleLine(const QByteArray& line);
    /// Takes raw input; every complete line is answered through signal_answer.
    void feed(const QByteArray& bytes);
    /// Reads standard input from the event loop; at end of input signal_quit follows if `exitOnEof`.
    void attachStdin(bool exitOnEof);

    /// Lines longer than this are dropped whole so a runaway writer cannot exhaust memory.
    static constexpr int kMaxLineBytes = 1 << 20;

signals:
    void signal_answer(const QByteArray& line);
    void signal_quit();

private slots:
    void handleStdinReadable();

private:
    QJsonObject setSilenced(const QJsonObject& req, bool silenced);
    QJsonObject setValues(const QJsonObject& req);
    QJsonObject stateOf(const QJsonObject& req);
    /// The stored DSP configuration in short (null for a model without a processor).
    QJsonValue dspSummary(int index);
    /// {"cmd":"dspService","devId":D,"on":false} stops the device's DSP TCP service, "on":true restarts it.
    QJsonObject switchDspService(const QJsonObject& req);
    /// {"cmd":"dspLock","devId":D,"mask":"1","unseen":true}: locks the processor; "unseen" keeps the reads of the
    /// lock answering the old mask, so a controller's next change meets a lock it does not know of.
    QJsonObject lockDsp(const QJsonObject& req);
    /// {"cmd":"dspConfig","devId":D}: the processor's whole configuration as "getConfig" would answer it.
    QJsonObject dspConfigOf(const QJsonObject& req);
    /// {"cmd":"programs","devId":D}: the processor's programs ("nameArr", "lastLoaded", "sha1Arr" per program).
    QJsonObject programsOf(const QJsonObject& req);
    /// The microphone processor's live and stored settings; "set" presets both first.
    QJsonObject micOf(const QJsonObject& req);
    /// {"cmd":"heard","devId":D}: the requests by "ops" the device received since the last "heard" (or start).
    QJsonObject heardBy(const QJsonObject& req);
    QJsonObject heardByAll();
    /// {"cmd":"signal","devId":D,"inputs":[1,2],"dBFS":-20}: a generator on physical inputs (1-based); an empty
    /// list stops it.
    QJsonObject playSignal(const QJsonObject& req);
    /// {"cmd":"loopback","devId":D,"on":true}: the test fixture cables every physical output to the same input.
    QJsonObject setLoopback(const QJsonObject& req);
    /// {"cmd":"fault","devId":D,"channel":C,"kind":"silent"|"low"|"ok"}: breaks (or repairs) an output stage.
    QJsonObject setFault(const QJsonObject& req);

    /// The audio settings as "state" shows them: generator inputs (1-based) and level, fixture, faults by output
    /// (1-based) and the cancellation stages by "portIndex".
    static QJsonObject audioState(const SimDevice& dev);

    SimNetwork& m_network;
    QByteArray m_pending;
    bool m_discarding = false;
    bool m_exitOnEof = false;
    QSocketNotifier* m_notifier = nullptr;
};

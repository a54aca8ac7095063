#pragma once
#include "SignalTestPlan.h"
#include "SignalVerdict.h"
#include "TestDevice.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <atomic>
#include <memory>

class ServiceLink;

/// One calibration or test of the test signal tool. Every request waits for its answer, so the runner works on a
/// worker thread; its signals reach the window queued. `cancel` is checked between requests.
class SignalTestRunner : public QObject
{
    Q_OBJECT
public:
    enum LineKind
    {
        Info = 0,
        Pass = 1,
        Fail = 2
    };

    struct Job
    {
        TestDevice source;
        TestDevice dut;
        bool networkSource = false; ///< the source channel is a network input, else an analog input
        int sourceNumber = 1;       ///< 1..4
        int channels = 2;           ///< the device class
        SignalVerdict::Thresholds thresholds;
        int delayDots = SignalTestPlan::kDefaultDelayNum; ///< the cancellation stage's delay found by calibration
        int settleMs = 300;                               ///< after routes change, before levels are read
        int probeSettleMs = 20;                           ///< after each delay setting of the calibration sweep
    };

    explicit SignalTestRunner(std::shared_ptr<ServiceLink> link, QObject* parent = nullptr);

    /// Both block until done; run them on a worker.
    void calibrate(const Job& job);
    void test(const Job& job);
    void cancel() { m_cancel = true; }

    /// What a job lacks before it may run; empty when it can run.
    static QString refusal(const Job& job);

signals:
    void signal_line(QString text, int kind);
    void signal_calibrated(bool ok, int dots, int dots2);
    void signal_tested(bool passed, QString devId);

private:
    struct Levels
    {
        bool ok = false;
        QVector<double> db;
    };

    bool send(const TestDevice& dev, quint16 port, const QString& text, QByteArray* answer = nullptr);
    bool sendOk(const TestDevice& dev, quint16 port, const QString& text, const QString& what);
    /// `count` levels from channel `first` (0-based) on.
    Levels read(const TestDevice& dev, SignalTestPlan::Meter meter, int count, int first = 0);
    void settle(int ms);
    bool clearRoutes(const Job& job);
    bool findDelay(const Job& job, int returnTx, int* dots, double* level);
    /// An amplifier's two modules must answer and have power.
    bool checkAmpModules(const TestDevice& dut);
    void line(const QString& text, LineKind kind = Info) { emit signal_line(text, kind); }

    std::shared_ptr<ServiceLink> m_link;
    std::atomic<bool> m_cancel{false};
};

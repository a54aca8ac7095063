#pragma once
#include "ArchiveLoadStep.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>

class ArchiveTransport;

/// Runs the steps of a load, device after device, with the synchronous request or the processor link. A step
/// that fails is logged and the load goes on with the next step and device; a cancel takes effect between
/// steps and the outcome says what was and was not sent.
class ArchiveLoader
{
public:
    enum class Status
    {
        Done,     ///< answered with "result" "succ"
        Refused,  ///< answered otherwise
        NoAnswer, ///< no reply (time-out, send failure, no connection)
        NotSent   ///< cancelled before it was its turn
    };

    struct DevicePlan
    {
        QString name;  ///< the online device's name, for the log
        QString devId; ///< the online device
        QVector<ArchiveLoadStep> steps;
        QStringList notes; ///< logged before the device's steps
    };

    struct StepResult
    {
        int device = 0; ///< index into the plans
        ArchiveLoadStep step;
        Status status = Status::NotSent;
        QString reply; ///< the reply or the failure text
    };

    struct Outcome
    {
        QVector<StepResult> results; ///< one per step of every plan, in order
        bool cancelled = false;
        qint64 ms = 0;
        int count(Status s) const;
        /// 0 every step done, 1 a step refused (and none unanswered), 2 a device did not answer.
        int exitCode() const;
    };

    /// One log line ("加载设备开始...", "设备 : <name> 开始加载...", a success text, a failure with the reply,
    /// "总耗时%1ms", "加载成功"), and the steps done and in all for a progress bar.
    using Log = std::function<void(const QString& line, int done, int total)>;

    explicit ArchiveLoader(ArchiveTransport& transport) : m_transport(transport) {}

    Outcome run(const QVector<DevicePlan>& plans, const std::atomic_bool* cancel = nullptr, const Log& log = Log());

    /// A device that answers none of its first three steps is taken as gone: its remaining steps are not sent
    /// (each is reported NoAnswer with "跳过: 设备无应答") so that one dead device cannot hold the load for
    /// minutes.
    static constexpr int DeadAfterSilentSteps = 3;

private:
    ArchiveTransport& m_transport;
};

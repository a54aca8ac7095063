#pragma once
#include <QJsonObject>
#include <QString>
#include <QVector>

/// The requests of the test signal tool and the reading of their answers: routes from the source to the device
/// under test and back, paged level reads, the cancellation stage's delay and the reboot. Widget-free and pure;
/// the tool sends the texts through the service request-and-wait.
namespace SignalTestPlan {

/// The device classes offered (channels tested).
constexpr int kClasses[] = {2, 4, 8, 16, 32};
constexpr int kMaxChannels = 32;
/// The source channels offered: analog inputs 1..4 and network inputs 1..4.
constexpr int kSourceChannels = 4;
/// Default delay of the cancellation stage (samples) and the most it can take.
constexpr int kDefaultDelayNum = 4800;
constexpr int kMaxDelayNum = 4800;
/// The source's physical output whose cancellation stage is used (1-based) and the network input the return
/// arrives on (same number).
constexpr int kReturnOutput = 1;
/// The processing position of the cancellation stage of an output chain.
constexpr int kCancelNodeId = 1;
constexpr int kCancelProcIndex = 0;
/// Pages a level read may take before it is given up (a page must advance, so one channel a page still fits): a
/// device that never advances cannot hold the tool.
constexpr int kMaxLevelPages = kMaxChannels;

enum class Meter
{
    PhyRx, ///< physical inputs
    PhyTx, ///< physical outputs
    NetRx, ///< network inputs
    NetTx  ///< network outputs (transmit channels)
};

/// The level read request's "ops" of a meter.
QString meterOps(Meter meter);

/// The source's transmit channel (0-based) for the chosen source channel: an analog input n is carried on
/// transmit channel n - 1, a network input n on the channel after the physical inputs.
int sourceTxChannel(bool networkInput, int number, int sourcePhyInputs);
/// The device's transmit channel (0-based) that carries its physical input `channel` (1-based).
int analogReturnTx(int channel);

QString routeRequest(const QString& srcDevId, int srcTx, int dstRx);
QString clearRequest(int dstRx);
QString levelRequest(const QString& devId, Meter meter, int idStart);
/// The flat cancellation stage setting of physical output `output` (1-based; 0-based on the wire). Every model
/// takes it on its command port.
QString cancelStageRequest(const QString& devId, int output, int delayNum, int maxNum = kMaxDelayNum);
QString rebootRequest(const QString& devId);

/// The two amplifier modules of an amplifier and what they are asked before a test.
constexpr quint16 kAmpModulePorts[] = {12001, 12002};
QString ampInfoRequest(const QString& devId);
QString ampPowerGainRequest(const QString& devId);
/// One module's "getPowerGainInfo" answer as a record line; `powered` tells whether any channel has power.
QString ampModuleLine(int module, const QJsonObject& answer, bool* powered);

/// Channel numbers a level read may start at (0-based); a device's tables hold no more.
constexpr int kMaxChannelId = 4096;

/// Levels of one meter gathered page by page.
class LevelPages
{
public:
    /// `wanted` channels (limited to kMaxChannels) from channel `first` (0-based, limited to kMaxChannelId).
    explicit LevelPages(int wanted, int first = 0);

    /// Where the next request starts; -1 when complete.
    int nextStart() const;
    /// Takes one answer. False when it is no level page (not JSON, failed, no progress): the read ends there.
    bool take(const QByteArray& answer);
    bool complete() const { return m_filled >= m_levels.size(); }
    /// Level texts from `first` on, empty for channels never read.
    const QVector<QString>& texts() const { return m_levels; }

private:
    QVector<QString> m_levels;
    int m_first = 0;
    int m_filled = 0;
};

/// The reply object of an answer text, or an empty object when it is not a JSON object (untrusted text).
QJsonObject replyObject(const QByteArray& answer);
/// True when an answer says "result" "succ".
bool answerSucceeded(const QByteArray& answer);

} // namespace SignalTestPlan

#pragma once
#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>

/// The test signal tool's own discovery: the answers to "AreYouMeridane?" read into a bounded list, and which
/// local interfaces the probe leaves from. Answers are untrusted text: sizes and counts are capped.
namespace TestProbeAnswer {

/// Answers larger than this are no answer of a device.
constexpr int kMaxDatagramBytes = 2047;
/// Values are cut to this many characters.
constexpr int kMaxFieldChars = 64;
/// Devices kept from one refresh, routable and link-local each; more answers are counted and dropped.
constexpr int kMaxDevices = 256;

struct Answer
{
    QString hostname;
    QString boardModel;
    QString firmware;
    uint32_t ip = 0;        ///< "ip=" when readable, else the sender's address
    bool linkLocal = false; ///< 169.254.0.0/16: kept apart, never tested
};

/// Reads one datagram from `sender` (host order). False when it is no answer: too large, without
/// "iAmMeridane!", or without a host name.
bool parse(const QByteArray& datagram, uint32_t sender, Answer* answer);

/// True for 169.254.0.0/16.
bool isLinkLocal(uint32_t ip);
/// True when the probe may leave from this interface and address: names with "vmware" or "vethernet"
/// (any case) and 127.0.0.1 are skipped, as are addresses that are not IPv4 (0).
bool usableInterface(const QString& interfaceName, uint32_t ip);

/// The answers of one refresh: one entry per host name and address, link-local ones apart, both bounded.
class List
{
public:
    /// Adds or refreshes an answer; false when it was dropped because its list is full.
    bool add(const Answer& answer);
    const QVector<Answer>& devices() const { return m_devices; }
    const QVector<Answer>& linkLocal() const { return m_linkLocal; }
    int dropped() const { return m_dropped; }
    void clear();

private:
    QVector<Answer> m_devices;
    QVector<Answer> m_linkLocal;
    int m_dropped = 0;
};

} // namespace TestProbeAnswer

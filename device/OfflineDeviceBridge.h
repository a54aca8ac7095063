#pragma once
#include "DevDetail.h"
#include "OfflineDevDetail.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class OfflineData;
class OfflineDevice;

/// A device window's way into a device of the offline design. It shows the design's settings in the form the
/// window knows from real devices, and writes the window's edits back into the design; nothing reaches the network.
/// deviceChanged() follows every change of this device's settings, whoever made it.
class OfflineDeviceBridge : public QObject
{
    Q_OBJECT
public:
    OfflineDeviceBridge(OfflineData& design, const QString& devId, QObject* parent = nullptr);

    QString devId() const { return m_devId; }
    OfflineData& design() const { return m_design; }
    /// The device's settings, or none when the design no longer has it.
    std::optional<OfflineDevDetail> settings() const;
    /// The settings as a real device's detail record; empty (no devId) when the device is gone.
    DevDetail_t detail() const;
    /// The settings turned into a detail record (channel names, rates, packet-time divisors, identity).
    static DevDetail_t toDetail(const OfflineDevDetail& d);
    /// The packet-time divisor of a time in milliseconds ("0.25" -> "4000"); empty for a time that is no divisor.
    static QString divisorOf(double packetMs);

    // Edits. Each returns false when the device is gone or the value is out of range; the design is then unchanged.
    bool setName(const QString& name);
    /// `inOrOut` 0 names a receive channel, 1 a transmit channel; `ch` is 0-based.
    bool setChannelName(int inOrOut, int ch, const QString& name);
    /// Also reloads a processor model's default configuration at the new rate, as a new rate needs.
    bool setSampleRate(int rate);
    bool setPacketTimeDiv(int divisor);
    bool setDelayUs(int us);
    bool setSampleByteNum(int byteNum);
    /// DSCP values are 0 to 63.
    bool setPtpDscp(int value);
    bool setDscp(int value);

signals:
    /// This device's settings changed, or the device left the design.
    void deviceChanged();

private:
    void onDesignChanged();
    bool edit(const std::function<void(OfflineDevice&)>& fn);

    OfflineData& m_design;
    QString m_devId;
    std::optional<OfflineDevDetail> m_last; ///< what the window was last told
};

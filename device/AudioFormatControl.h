#pragma once
#include "DevDetail.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class OfflineDeviceBridge;
class QComboBox;
class QMessageBox;
class QWidget;

/// The audio-format controls of the settings page: sample rate, packet time, network delay and sample bit
/// depth. Keeps the values the device last confirmed, checks every choice, sends it and puts a combo back
/// when the user or the device says no.
class AudioFormatControl : public QObject
{
    Q_OBJECT
public:
    struct Combos
    {
        QComboBox* sampleRate = nullptr;
        QComboBox* packetTime = nullptr;
        QComboBox* delay = nullptr;
        QComboBox* byteNum = nullptr;
    };
    using Asker = std::function<bool(const QString&)>;

    /// `page` parents the notices this control opens.
    AudioFormatControl(const QString& devId, const Combos& combos, QWidget* page);

    void setAsker(Asker asker) { m_ask = std::move(asker); }
    /// A device of the offline design: choices are stored in the design and never sent.
    void setOfflineDevice(OfflineDeviceBridge* device) { m_offline = device; }
    /// Takes the confirmed values from the detail record and the device's announcement.
    void load(const DevDetail_t& detail);
    /// Takes the confirmed values from the offline design, which has no announcement to read them from.
    void loadOffline();
    /// Refills the choices after the device reported what it supports; the selections stay.
    void refill(const DevDetail_t& detail);
    /// Acts on a reply to one of this control's requests; false for any other message.
    bool handleReply(const QJsonObject& msg);

    int confirmedDelayUs() const { return m_delayUs; }
    double confirmedPacketUs() const { return m_packetUs; }

signals:
    void sendChangeData(QString msg);
    void signal_showTips(QString tip);
    /// A request went out; the page waits for its answer.
    void signal_awaitReply();
    /// The answer arrived.
    void signal_replied();

public slots:
    void on_samplerate_comb_activated(int index);
    void on_PacketTimeDiv_comb_activated(int index);
    void on_netdelay_comb_activated(int index);
    void on_combo_sampleByteNum_activated(int index);

private:
    void fillSampleRates(const DevDetail_t& detail);
    void fillPacketTimes(const DevDetail_t& detail);
    void fillDelays();
    void loadValues(const DevDetail_t& detail);
    bool isOffline() const;
    /// Stores an offline choice: "设置成功" when the design took it, "设置失败" (and the old value) otherwise.
    bool stored(bool ok);
    void restore();
    bool ask(const QString& question) { return m_ask && m_ask(question); }
    void send(const QString& ops, const QString& key, const QString& value);
    void showFailure(const QJsonObject& reply);
    void showDone();

    QString m_devId;
    QString m_model;
    Combos m_c;
    QWidget* m_page;
    Asker m_ask;
    OfflineDeviceBridge* m_offline = nullptr;
    // Confirmed by the device.
    QString m_sampleRate;
    QString m_packetDiv;
    double m_packetUs = 0;
    int m_delayUs = 0;
    int m_sampleByteNum = 0;
    // Sent and awaiting the answer.
    QString m_pendingRate;
    QString m_pendingDiv;
    int m_pendingDelayUs = 0;
    int m_pendingByteNum = 0;
    QPointer<QMessageBox> m_restartBox; ///< the open restart notice: one at a time, however many replies
};

#pragma once
#include "AddressChecks.h"
#include "DevDetail.h"

#include <QJsonObject>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// The address part of the settings page: mode, address, mask, gateway, DNS (and the addresses of the
/// further interfaces of three-interface models), with the change, automatic and reset actions.
class DeviceAddressPanel : public QWidget
{
    Q_OBJECT
public:
    /// Asks a yes/no question; true for yes.
    using Asker = std::function<bool(const QString&)>;

    explicit DeviceAddressPanel(const QString& devId, QWidget* parent = nullptr);

    void setAsker(Asker asker) { m_ask = std::move(asker); }
    /// The random source of the reset address (tests make it predictable).
    void setRandomSource(std::function<uint32_t()> random) { m_random = std::move(random); }
    /// 3 shows the fields of the second and third interfaces.
    void setInterfaceCount(int count);
    int interfaceCount() const { return m_interfaces; }

    /// Fills the fields from the detail record (before the device's own answer arrives).
    void fillFromDetail(const DevDetail_t& detail);
    /// Fills the fields from a "getIp" reply; what it shows becomes the confirmed setting.
    void fillFromReply(const QJsonObject& reply);
    AddressChecks::Current current() const { return m_current; }
    AddressChecks::Input input() const;

signals:
    void sendChangeData(QString msg);
    void signal_showTips(QString tip);

public slots:
    void on_changeIp_bt_clicked();
    void on_pb_resetip_clicked();
    /// The mode box was chosen: automatic asks and switches, manual opens the fields for editing.
    void slot_modeActivated(int index);
    void setAutoIp();

private:
    QLineEdit* addField(const char* objectName, const QString& label, int row);
    void send(const QJsonObject& msg);
    void updateEditable();
    QLineEdit* fieldOf(AddressChecks::Field field) const;

    QString m_devId;
    int m_interfaces = 1;
    Asker m_ask;
    std::function<uint32_t()> m_random;
    AddressChecks::Current m_current;
    QComboBox* m_mode = nullptr;
    QLineEdit* m_ip = nullptr;
    QLineEdit* m_mask = nullptr;
    QLineEdit* m_gateway = nullptr;
    QLineEdit* m_dns = nullptr;
    QLineEdit* m_ip2 = nullptr;
    QLineEdit* m_ip3 = nullptr;
    QLabel* m_ip2Label = nullptr;
    QLabel* m_ip3Label = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_reset = nullptr;
};

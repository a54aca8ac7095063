#pragma once
#include <QJsonObject>
#include <QWidget>

class QLabel;

/// The test page's information panel: OEM code, firmware version and sub-version, model, temperature, up-time,
/// MAC address and current CPU frequency, filled from the device's replies.
class DevInfoPanel : public QWidget
{
    Q_OBJECT
public:
    explicit DevInfoPanel(QWidget* parent = nullptr);

    /// Identity from the detail record (version, sub-version, OEM code, model, MAC).
    void setIdentity(const QString& firmware, const QString& build, const QString& oemCode, const QString& model,
                     const QString& mac);
    /// Takes what a reply tells ("getVersion", "getDebugInfo", "getOemData" of "cpuKHz", the page's own
    /// "getPowerGainInfo"); other replies are ignored.
    void handleReply(const QJsonObject& reply);

    QString versionText() const;
    QString uptimeText() const;
    QString temperatureText() const;
    QString cpuText() const;
    /// The second amplifier module's figures; empty until its answer came.
    QString moduleText() const;

private:
    QLabel* value(const char* name);
    QLabel* m_oem = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_model = nullptr;
    QLabel* m_temp = nullptr;
    QLabel* m_uptime = nullptr;
    QLabel* m_mac = nullptr;
    QLabel* m_cpu = nullptr;
    QLabel* m_moduleLabel = nullptr;
    QLabel* m_module = nullptr;
};

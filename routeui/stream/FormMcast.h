#pragma once
#include <QVector>
#include <QWidget>

class QLabel;

/// One multicast transmit stream in the deletion list: name, "address/port" and its channels.
class FormMcast : public QWidget
{
    Q_OBJECT
public:
    FormMcast(const QString& name, const QString& dstIp, int dstPort, const QVector<int>& channels,
              QWidget* parent = nullptr);

    /// The destination address: the address label's text before "/".
    QString address() const;
    QString name() const;
    QString addressText() const;
    QString channelsText() const;

private:
    QLabel* m_name;
    QLabel* m_address;
    QLabel* m_channels;
};

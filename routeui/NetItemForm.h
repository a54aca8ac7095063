#pragma once
#include <QString>
#include <QWidget>

class QCheckBox;

/// One candidate address in the interface dialog: a check box labelled with the address and the
/// interface's name.
class NetItemForm : public QWidget
{
    Q_OBJECT
public:
    NetItemForm(const QString& ip, const QString& interfaceName, QWidget* parent = nullptr);

    QString ip() const { return m_ip; }
    bool isChecked() const;
    /// Sets the box without emitting netItemSelectedSignal.
    void setChecked(bool checked);

signals:
    /// The user checked this address.
    void netItemSelectedSignal(QString ip);

private:
    QString m_ip;
    QCheckBox* m_box = nullptr;
};

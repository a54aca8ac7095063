#pragma once
#include <QJsonObject>
#include <QString>
#include <QWidget>

#include <functional>

class CDeviceDspData;

/// What the echo-canceller and automixer editors share: every change sends the node's whole object with
/// "setNodeData" (offline it only changes the record), a refusal shows "设置失败" and puts the record back to what
/// the device last accepted, and changes are refused while the processor is locked.
class DspNodeForm : public QWidget
{
    Q_OBJECT
public:
    using LockCheck = std::function<bool()>;

    DspNodeForm(CDeviceDspData* data, int index, QWidget* parent = nullptr);

    int index() const { return m_index; }
    CDeviceDspData* data() const { return m_data; }
    void setOffline(bool offline) { m_offline = offline; }
    bool isOffline() const { return m_offline; }
    void setLockCheck(LockCheck check) { m_isLocked = std::move(check); }
    /// The flag the device's replies carry back to this editor.
    virtual QString blockFlag() const = 0;

signals:
    void signal_sendMsg(QString msg);
    void signal_showTips(QString tip, bool isSucc);
    void signal_close(QString blockFlag);

public slots:
    /// Every reply of the device.
    void recvMsg(QString msg);
    /// The dialog's volume tick.
    virtual void getVolumeTimeout() {}
    /// Shows the record's values again.
    virtual void refreshFromModel() = 0;

protected:
    /// The setNodeData request of the record as it stands; empty when the record is gone.
    virtual QJsonObject request() const = 0;
    /// Keeps the record as the device has it now / puts that copy back into the record.
    virtual void remember() = 0;
    virtual void restore() = 0;
    /// Replies with the editor's flag other than setNodeData (the automixer's polls).
    virtual void handleReply(const QString& ops, const QJsonObject& reply);

    /// After the record changed: sends it (offline: nothing).
    void commit();
    /// When locked: tells so, shows the record again and returns true.
    bool refuseWhenLocked();
    /// Switching a function from off to on while the processor's CPU is at its limit: tells so, shows the record
    /// again and returns true.
    bool refuseEnabling(bool wasOn, bool on);
    void closeEvent(QCloseEvent* event) override;

private:
    CDeviceDspData* m_data;
    int m_index;
    bool m_offline = false;
    LockCheck m_isLocked;
    int m_pending = 0;
};

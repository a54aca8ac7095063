#pragma once
#include <QString>
#include <QWidget>

class CDeviceDspData;
class QLabel;

/// The frame of a page of the processor dialog: it keeps the configuration it was given and counts the replies
/// it was handed, so the dialog's wiring is the same for every page. Until a page puts its content in
/// (setContent) it shows a short notice.
class DspPageShell : public QWidget
{
    Q_OBJECT
public:
    DspPageShell(const QString& objectName, QWidget* parent = nullptr);

    /// The configuration the page shows; owned by the dialog (or the offline workspace), never by the page.
    CDeviceDspData* dspData() const { return m_data; }
    /// Offline, pages change the configuration only and send nothing.
    bool isOffline() const { return m_offline; }
    virtual void setOffline(bool offline) { m_offline = offline; }
    int receivedCount() const { return m_received; }
    QString lastReceived() const { return m_last; }

signals:
    void signal_sendMsg(QString msg);
    void signal_sendTcpMsg(QString msg);
    void signal_showTips(QString tip);

public slots:
    /// Pages that show the configuration rebuild from it here (call the base first).
    virtual void setDspData(CDeviceDspData* data);
    /// Every reply of the processor (call the base first).
    virtual void recvBackData(QString msg);
    /// Re-reads names from the store.
    virtual void refreshData() {}
    /// The dialog's volume tick (every 250 ms) while the page is shown: pages poll what they show here.
    virtual void volumeTick() {}

protected:
    /// Puts the page's own content in place of the notice.
    void setContent(QWidget* content);

private:
    CDeviceDspData* m_data = nullptr;
    bool m_offline = false;
    QLabel* m_notice = nullptr;
    int m_received = 0;
    QString m_last;
};

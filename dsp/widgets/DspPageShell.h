#pragma once
#include <QString>
#include <QWidget>

class CDeviceDspData;
class QLabel;

/// A page of the processor dialog whose editor is not built yet: it shows a short notice, keeps the
/// configuration it was given and counts the replies it was handed, so the dialog's wiring is complete and
/// a later page can take its place without touching the dialog.
class DspPageShell : public QWidget
{
    Q_OBJECT
public:
    DspPageShell(const QString& objectName, QWidget* parent = nullptr);

    /// The configuration the page shows; owned by the dialog (or the offline workspace), never by the page.
    CDeviceDspData* dspData() const { return m_data; }
    int receivedCount() const { return m_received; }
    QString lastReceived() const { return m_last; }

signals:
    void signal_sendMsg(QString msg);
    void signal_sendTcpMsg(QString msg);
    void signal_showTips(QString tip);

public slots:
    void setDspData(CDeviceDspData* data);
    void recvBackData(QString msg);
    /// Re-reads names from the store (nothing to refresh in a shell).
    void refreshData() {}

private:
    CDeviceDspData* m_data = nullptr;
    QLabel* m_notice = nullptr;
    int m_received = 0;
    QString m_last;
};

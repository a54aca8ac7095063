#pragma once
#include <QWidget>
#include <cstdint>

class QLabel;
class QTextBrowser;

/// One online multicast stream of the registry: its sender, name, addresses and channels.
class McastWidget : public QWidget
{
    Q_OBJECT
public:
    explicit McastWidget(uint32_t dstIp, QWidget* parent = nullptr);

    uint32_t dstIp() const { return m_dstIp; }
    /// Re-reads the stream and its sender from the registry. False when the stream is gone.
    bool refresh();

    static QString ipText(uint32_t ip);

private:
    uint32_t m_dstIp;
    QLabel* m_devId;
    QLabel* m_name;
    QLabel* m_devIp;
    QLabel* m_dst;
    QLabel* m_devName;
    QTextBrowser* m_channels;
};

#pragma once
#include <QDialog>
#include <QStringList>
#include <QVector>

class ChannelItemForm;
class DspDiagramForm;
class QLabel;
class QVBoxLayout;

/// "加载通道程式": the processor's channel programs, one row each, to put onto one channel (opened from the
/// diagram's channel menu). The processor applies the program; the configuration is then read again, so the
/// diagram shows what the processor runs.
class ChannelProgramForm : public QDialog
{
    Q_OBJECT
public:
    ChannelProgramForm(bool isInput, int chIndex, const QString& channelName, QWidget* parent = nullptr);

    /// Opens the chooser (or, with `manage`, the manager) for a channel of the diagram, wired to the diagram's
    /// paths: requests leave as the diagram's, replies arrive with the diagram's. Deleted when closed.
    static QDialog* openFor(DspDiagramForm* diagram, bool isInput, int chIndex, bool manage);

    QStringList names() const { return m_names; }
    QString tipText() const;

signals:
    void signal_sendMsg(QString msg);
    void signal_sendTcpMsg(QString msg);
    void signal_showTips(QString tip);

public slots:
    void refreshList();
    void recvMsg(QString msg);
    /// Puts program `name` onto the channel.
    void load(const QString& name);

private:
    void tip(const QString& text);

    bool m_isInput;
    int m_chIndex;
    QStringList m_names;
    QVector<ChannelItemForm*> m_rows;
    QVBoxLayout* m_list = nullptr;
    QLabel* m_tip = nullptr;
};

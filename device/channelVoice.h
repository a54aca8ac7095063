#pragma once
#include <QJsonObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <cstdint>
#include <functional>

class FormChannelVoice;
class QLineEdit;
class QMessageBox;
class QScrollArea;
class QTabWidget;
class QVBoxLayout;
class ShowDataThread;

/// The channel-levels page of one device: an input and an output tab, each listing the physical rows and
/// then the network rows, with live meters, gains, mutes, names and (amplifiers) gain steps and power.
///
/// Rows are built once from the device's detail record and updated in place by replies (`recvBackData`);
/// they are rebuilt only when the device's channel counts change. While shown, a `ShowDataThread` polls
/// the levels; later pages of a paged read-out are asked here, on each reply.
class channelVoice : public QWidget
{
    Q_OBJECT
public:
    enum Side
    {
        PhyIn,
        PhyOut,
        NetIn,
        NetOut,
        SideCount
    };

    static constexpr int kRefreshMs = 5000;
    static constexpr uint16_t kBatchPort = 8999;
    static constexpr uint16_t kAmpModulePort = 12001;

    explicit channelVoice(const QString& devId, QWidget* parent = nullptr);
    ~channelVoice() override;

    QString devId() const { return m_devId; }
    int rowCount(Side side) const { return m_rows[side].size(); }
    /// The row of a side's 0-based channel, or null.
    FormChannelVoice* row(Side side, int index) const;
    ShowDataThread* pollThread() const { return m_poller; }
    /// Shows the input (0) or output (1) tab.
    void setCurrentPage(int page);

    /// Re-reads the detail record: names and firmware in place, rows rebuilt only for new channel counts.
    void refreshFromStore();
    /// Asks every physical side's gains and mutes from the first page (and the amplifier state).
    void readGainsAndMutes();

    /// The gain/mute re-read period (kRefreshMs unless a test shortens it).
    void setRefreshInterval(int ms) { m_refresh.setInterval(ms); }

    /// "In", "out", "netIn", "netOut".
    static QString sideTag(Side side);

signals:
    void sendChangeData(QString msg);
    void signal_showTips(QString tip);
    void signal_showLoading(int seconds, QString text);
    void signal_hideLoading();

public slots:
    void recvBackData(QString msg);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum Question
    {
        PhyLevelQuestion,
        NetLevelQuestion,
        PhyGainQuestion,
        PhyMuteQuestion,
        QuestionCount
    };

    void buildUi();
    void rebuildRows();
    void addRows(QVBoxLayout* layout, Side side, const QStringList& names);
    void updatePollTarget();

    void sendMessage(QJsonObject msg);
    void sendToDevice(const QJsonObject& request, uint32_t ip, uint16_t port);
    void requestPage(const QString& ops, Side side, int idStart);
    void requestBatch(bool input, int idStart);
    void requestAmplifier();

    void handleLevels(const QJsonObject& o, bool network);
    void handleBatch(const QJsonObject& o, bool input);
    void handleGains(const QJsonObject& o);
    void handleMutes(const QJsonObject& o);
    /// One page of physical gains or mutes: `apply` takes each value for its existing row, the next page is
    /// asked with `ops`, and `storeSide` runs after the last page; a failure asks the `retry` question.
    void handlePhysicalPage(const QJsonObject& o, Question retry, const QString& ops,
                            const std::function<void(FormChannelVoice*, int, const QString&)>& apply,
                            const std::function<void()>& storeSide);
    void handleSetGain(const QJsonObject& o);
    void handleSetMute(const QJsonObject& o);
    void handleName(const QJsonObject& o, Side side);
    void handleAmplifier(const QJsonObject& o);
    void handleAmpSet(const QJsonObject& o);

    void onNameEdited(Side side, int index, const QString& name);
    void onGainEdited(Side side, int index, double gain);
    void onMuteEdited(Side side, int index, bool muted);
    void jumpTo(bool network);

    void askRetry(Question q, Side side);
    void retry(Question q, const QSet<int>& sides);
    void tipReason(const QJsonObject& o);

    QString m_devId;
    bool m_amplifier = false;
    bool m_batch = false;
    bool m_levelOffset = false;

    QVector<FormChannelVoice*> m_rows[SideCount];
    QVector<double> m_gains[2]; ///< physical sides, as read back or confirmed
    QVector<int> m_mutes[2];
    QSet<QString> m_pendingNames; ///< "side:index" renames this page sent

    QTabWidget* m_tabs = nullptr;
    QScrollArea* m_scroll[2] = {nullptr, nullptr};
    QLineEdit* m_analogJump = nullptr;
    QLineEdit* m_netJump = nullptr;

    ShowDataThread* m_poller = nullptr;
    QTimer m_refresh;

    QPointer<QMessageBox> m_questions[QuestionCount];
    QSet<int> m_questionSides[QuestionCount];
    bool m_declined[QuestionCount] = {false, false, false, false};
};

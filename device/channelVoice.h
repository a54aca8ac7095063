#pragma once
#include "LevelPaging.h"

#include <QJsonObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <cstdint>

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
/// The values and the paged read-outs live in a `LevelPaging`; this page shows them and asks what it says.
/// Rows are built from the device's detail record in slices of kRowsPerStep, one slice per pass of the event
/// loop, so a device with thousands of channels never freezes the window; a row built late takes its values
/// from the paging state. Rows are rebuilt only when the device's channel counts change. While shown, a
/// `ShowDataThread` polls the levels.
class channelVoice : public QWidget
{
    Q_OBJECT
public:
    using Side = LevelPaging::Side;
    static constexpr Side PhyIn = LevelPaging::PhyIn;
    static constexpr Side PhyOut = LevelPaging::PhyOut;
    static constexpr Side NetIn = LevelPaging::NetIn;
    static constexpr Side NetOut = LevelPaging::NetOut;
    static constexpr int SideCount = LevelPaging::SideCount;

    static constexpr int kRefreshMs = 5000;
    static constexpr uint16_t kAmpModulePort = 12001;
    /// Rows built per pass of the event loop (about 10 ms each on a desktop, well under the 50 ms a user notices).
    static constexpr int kRowsPerStep = 32;

    explicit channelVoice(const QString& devId, QWidget* parent = nullptr);
    ~channelVoice() override;

    QString devId() const { return m_devId; }
    /// The channels of a side (rows may still be under construction).
    int rowCount(Side side) const { return m_paging.count(side); }
    /// The row of a side's 0-based channel, or null (also while that row is not built yet).
    FormChannelVoice* row(Side side, int index) const;
    /// True once every row is built.
    bool rowsComplete() const;
    /// Builds the remaining rows now.
    void finishRows();
    const LevelPaging& paging() const { return m_paging; }
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
    using Question = LevelPaging::Question;
    static constexpr int QuestionCount = LevelPaging::QuestionCount;

    void buildUi();
    void rebuildRows();
    /// Builds up to `budget` rows in page order; false when every row is built.
    bool buildRows(int budget);
    /// Shows only the row blocks near the visible part of a page, so showing the page touches a few hundred
    /// widgets instead of every row. Hidden blocks keep their place in the layout.
    void showVisibleBlocks(int page);
    FormChannelVoice* makeRow(Side side, int index, QWidget* parent);
    void updatePollTarget();

    void sendMessage(QJsonObject msg);
    void sendRequest(const LevelPaging::Request& request);
    void requestAmplifier();

    void applyOutcome(const LevelPaging::Outcome& out);
    void storePhysical(Side side, bool gains);
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
    LevelPaging m_paging;

    QStringList m_names[SideCount];
    QVector<FormChannelVoice*> m_rows[SideCount]; ///< the rows built so far, in channel order
    QSet<QString> m_pendingNames;                 ///< "side:index" renames this page sent

    /// Where the next built row goes: the side in build order, its page's layout and the open block.
    int m_buildOrder = SideCount; ///< SideCount: nothing left to build
    QVBoxLayout* m_pageLayout[2] = {nullptr, nullptr};
    QVBoxLayout* m_blockLayout = nullptr;
    QVector<QWidget*> m_blocks[2];
    QTimer m_buildTimer;

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

#pragma once
#include <QString>
#include <QWidget>

#include <QHash>

#include <functional>
#include <memory>

class CBaseItem;
class CDeviceDspData;
class QCheckBox;
class QJsonObject;
class QLabel;
class QProgressBar;
class QVBoxLayout;
struct BlockPosition;

/// What every block editor shares: the bypass switch (refused while the processor is locked or its CPU is at its
/// limit), the
/// device's answers to the editor's own requests (matched by blockFlag), and the channel's level meter.
///
/// The editor never owns its block: it addresses it by position and re-reads it from the configuration whenever
/// it refreshes, so a block removed under it is simply not found.
class DspBlockBaseForm : public QWidget
{
    Q_OBJECT
public:
    /// Levels below this (and "-inf") are shown as this.
    static constexpr int kFloorDb = -90;

    /// True while the processor's lock refuses changes.
    using LockCheck = std::function<bool()>;

    DspBlockBaseForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    bool isInput() const { return m_isInput; }
    int chIndex() const { return m_chIndex; }
    int blockIndex() const { return m_blockIndex; }
    int nodeId() const { return m_nodeId; }
    QString blockFlag() const { return m_blockFlag; }
    /// The block at the editor's position; nullptr when the chain no longer has it.
    CBaseItem* block() const;
    /// Offline, changes go into the model at once and nothing is sent.
    void setOffline(bool offline) { m_offline = offline; }
    /// The lock the editor obeys, the same one as the diagram's; none means never locked.
    void setLockCheck(LockCheck check) { m_isLocked = std::move(check); }
    /// The last level shown (whole dB).
    int levelDb() const { return m_levelDb; }
    /// The last status gain shown (dB), from the device's status poll of dynamics blocks.
    double statusDb() const { return m_statusDb; }
    /// The title suffix of a block kind: "-EQ & Xover", "-Delay", ...; empty for an unknown kind.
    static QString titleSuffix(int kind);
    /// True for the kinds whose editors poll the device for the gain they apply (dynamics blocks).
    static bool pollsStatus(int kind);
    /// True when this editor shows block `blockIndex` of the channel (an EQ editor also shows the filters).
    virtual bool shows(bool isInput, int chIndex, int blockIndex) const;
    CDeviceDspData* data() const { return m_data; }
    bool isOffline() const { return m_offline; }

signals:
    void signal_sendMsg(QString msg);
    void signal_showTips(QString tip, bool isSucc);
    void signal_close(QString blockFlag);
    void signal_syncLinkChannel(bool isInput, int chIndex, int blockIndex);
    void signal_updateUI(bool isInput, int chIndex, int blockIndex);
    /// The gain the block applies right now (dB, rounded), from the device's status poll.
    void signal_statusGain(double db);

public slots:
    /// Every reply of the device.
    void recvMsg(QString msg);
    /// The dialog's volume tick.
    void getVolumeTimeout();
    /// Shows the model's values again.
    virtual void refreshFromModel();

protected:
    /// Puts the kind's own controls under the common part.
    void setBody(QWidget* body);
    /// After the model of the editor's block changed: sends its parameters ("setBorderProc"); offline it tells
    /// the diagram instead (signal_updateUI) and sends nothing.
    void sendParams();
    /// The same for another block of the same channel (the filters beside an equaliser).
    void sendParams(int blockIndex);
    /// Sends a request that changes block `blockIndex` (for example one equaliser band); offline only
    /// signal_updateUI. A refusal shows "Set Failed!" and puts the block back to what the device last accepted.
    void sendChange(int blockIndex, const QJsonObject& request);
    /// Switches the bypass of block `blockIndex` under the lock and CPU rules; the model follows the reply.
    void sendBypass(int blockIndex, bool bypass);
    /// Remembers block `blockIndex` as the device has it now, so a refused change can be taken back; the editor's
    /// own block is watched from the start, other blocks it changes must be watched before their first change.
    void watchBlock(int blockIndex) { track(blockIndex); }
    /// Where block `blockIndex` of the editor's channel sits on the device.
    BlockPosition positionOf(int blockIndex) const;
    /// Block `blockIndex` of the editor's channel; nullptr when there is none.
    CBaseItem* blockAt(int blockIndex) const;
    /// Shows or hides the common bypass switch (an editor of several blocks draws its own).
    void setCommonBypassVisible(bool visible);
    /// When locked: tells so, shows the model's values again and returns true; the change must not be made.
    bool refuseWhenLocked();
    void closeEvent(QCloseEvent* event) override;
    /// Opens at least as large as the controls ask, whatever the screen's scale made of the default size.
    void showEvent(QShowEvent* event) override;

private:
    /// What the device holds of one block the editor changes: the parameters it last accepted, and the
    /// changes still waiting for their answer.
    struct Tracked
    {
        int blockIndex = -1;
        std::shared_ptr<CBaseItem> accepted;
        int pending = 0;
        bool refused = false;
    };

    void onBypassClicked(bool bypass);
    void handleOwnReply(const QJsonObject& reply, Tracked& tracked);
    Tracked& track(int blockIndex);
    void settle(Tracked& tracked, bool accepted);
    void showLevel(const QString& levelText);

    CDeviceDspData* m_data;
    bool m_isInput;
    int m_chIndex;
    int m_blockIndex;
    int m_nodeId = 0;
    QString m_blockFlag;
    bool m_offline = false;
    bool m_shown = false;
    LockCheck m_isLocked;
    int m_levelDb = kFloorDb;
    double m_statusDb = 0;
    QCheckBox* m_bypass = nullptr;
    QProgressBar* m_meter = nullptr;
    QLabel* m_level = nullptr;
    QLabel* m_status = nullptr;
    QVBoxLayout* m_layout = nullptr;
    /// By blockFlag.
    QHash<QString, Tracked> m_tracked;
};

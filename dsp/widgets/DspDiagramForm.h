#pragma once
#include "DspChainEditor.h"
#include "DspLinkPlan.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class CBaseItem;
class CChainChannel;
class CDeviceDspData;
class DspBlockBaseForm;
class DspChannelStrip;
class DspSideChannelStrip;
class DspNodeForm;
class FormDspDiagramInput;
class FormDspDiagramOutput;
class MicControlDialog;
class QAction;
class QJsonObject;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

/// The first page of the processor dialog: the processing structure as a flow diagram of input strips (with the
/// echo-cancelled and automixer channels), the matrix and output strips. The user adds, removes, copies, pastes,
/// bypasses and opens blocks, links channels, edits names, mutes, inversions, gains and groups, and saves the whole
/// configuration. Structural edits stay local until the save; channel settings leave at once over UDP.
///
/// Adding: an add button of a strip chooses the channel and insert position, then a block button (eq_bt, ...)
/// adds that kind there.
class DspDiagramForm : public QWidget
{
    Q_OBJECT
public:
    /// Asks a yes/no question; true for yes. The default shows a QMessageBox.
    using Asker = std::function<bool(const QString&)>;
    /// Asks for the administrator code; an empty text is a cancel. The default shows a password entry.
    using CodePrompt = std::function<QString()>;
    /// Asks which of `choices` to take; the index chosen, or -1 for none. The default shows a QMessageBox with
    /// one button per choice.
    using Chooser = std::function<int(const QString& question, const QStringList& choices)>;
    /// Stores the configuration into the offline design; false when it could not be stored.
    using OfflineSaver = std::function<bool(const CDeviceDspData&)>;

    /// Block buttons, in their order on the page; each adds one kind (or filter flavour) of block.
    struct BlockButton
    {
        const char* objectName;
        const char* text;
        int target; ///< CBaseItem::Kind or DspEditRules::AddTarget
    };
    static const QList<BlockButton>& blockButtons();

    explicit DspDiagramForm(QWidget* parent = nullptr);
    ~DspDiagramForm() override;

    /// The device the page belongs to (identifier and model for the model table's limits).
    void setDevice(const QString& devId, const QString& model);
    void setAsker(Asker asker);
    void setCodePrompt(CodePrompt prompt);
    void setChooser(Chooser chooser);
    /// Offline, edits change the configuration only and the save goes to the offline saver.
    void setOffline(bool offline) { m_offline = offline; }
    bool isOffline() const { return m_offline; }
    void setOfflineSaver(OfflineSaver saver) { m_offlineSaver = std::move(saver); }

    CDeviceDspData* dspData() const { return m_data; }
    int cpuEstimate() const { return m_estimate; }
    /// True when forcing is offered and chosen.
    bool isForceAdd() const;
    /// Chooses forcing; ignored while it is not offered.
    void setForceAdd(bool force);
    /// Forcing adds beyond the CPU estimate is offered after the administrator entry, or always when the
    /// application's "CanAlwaysShowDiy" switch is on.
    bool isForceAddOffered() const;
    /// The custom-function entry: asks for the administrator code; the right code offers forcing, any other is
    /// answered "该设备不支持自定义功能!". False when nothing was opened.
    bool openDiyEntry();
    bool isLocked() const;
    FormDspDiagramInput* inputStrip(int index) const;
    FormDspDiagramOutput* outputStrip(int index) const;
    int sideStripCount() const { return m_sideStrips.size(); }
    /// The open editor of a block (by its blockFlag), or nullptr.
    DspBlockBaseForm* editor(const QString& blockFlag) const;
    int editorCount() const;

    // Edits, as the buttons and menus make them; each refuses with a notice and returns false.
    /// Chooses where the next block goes (output positions count from the chain's end).
    void selectPosition(bool isInput, int chIndex, int position);
    /// Adds a block of `target` at the chosen position; a delay holds `delaySeconds` of the sample rate.
    bool addSelected(int target, double delaySeconds = 0.1);
    bool addBlock(int target, bool isInput, int chIndex, int position, double delaySeconds = 0.1);
    bool toggleBypass(bool isInput, int chIndex, int blockIndex);
    bool copyBlock(bool isInput, int chIndex, int blockIndex);
    bool pasteBlock(bool isInput, int chIndex, int blockIndex);
    bool deleteBlock(bool isInput, int chIndex, int blockIndex);
    bool copyChannel(bool isInput, int chIndex);
    bool pasteChannel(bool isInput, int chIndex);
    /// Clears the channel's chain.
    bool deleteChannel(bool isInput, int chIndex);
    void expandAll(bool expanded);
    /// Links (or unlinks, when linked) channel `chIndex` with a neighbour of its side; with two neighbours the
    /// user chooses which one.
    bool linkChannel(bool isInput, int chIndex);
    /// Links (or unlinks, when linked) channel `chIndex` with channel `partner` of the same side.
    bool linkChannel(bool isInput, int chIndex, int partner);
    bool setChannelName(bool isInput, int chIndex, const QString& name);
    bool setChannelMute(bool isInput, int chIndex, bool mute);
    bool setChannelInverse(bool isInput, int chIndex, bool inverse);
    bool setChannelGain(bool isInput, int chIndex, double db);
    bool setChannelGroup(bool isInput, int chIndex, int groupId);
    /// Opens (or raises) the editor of a block.
    DspBlockBaseForm* showBlockDialog(bool isInput, int chIndex, int blockIndex);
    /// Opens (or raises) the editor of an echo-cancelled (DspSideChannelStrip::Aec) or automixer channel.
    DspNodeForm* showNodeEditor(int kind, int index);
    /// Adds an automixer channel whose member count the user chooses (first inputs as members); reaches the
    /// device with the next save.
    bool addAutomixer();
    /// Asks the member count of a new automixer (1..limit); 0 cancels. Default: FormAutoMixer.
    using MemberCountPrompt = std::function<int(int limit)>;
    void setMemberCountPrompt(MemberCountPrompt prompt) { m_promptMembers = std::move(prompt); }
    /// Sends a command message ("sendUdpToUart" with "cmd") down the device's serial tunnel; false when it could
    /// not leave. Default: translated like every command message and sent to the device's own address.
    using TunnelSender = std::function<bool(const QString& message)>;
    void setTunnelSender(TunnelSender sender) { m_sendTunnel = std::move(sender); }
    /// The microphone dialog once opened, else null.
    MicControlDialog* micDialog() const;

signals:
    void signal_changeIdStart(int idStart, bool inOrOut);
    void showMatrix_signal();
    void signal_sendMsg(QString msg);
    void signal_sendMsg(QString msg, int port);
    void signal_recvMsg(QString msg);
    void signal_getVolumeTimeout();
    void signal_sendTcpMsg(QString msg);
    void signal_closeall();
    void signal_close(QString blockFlag);
    void signal_updateUI(bool isInput, int chIndex, int blockIndex);
    void send_minWidth_signal(int width);
    void refreshDataSignal();
    void signal_refreshOfflineData(CDeviceDspData* dspData);
    void signal_refreshGroupList();
    void signal_unLock(bool isLock);
    /// Short notices for the dialog's notice bar.
    void signal_showTips(QString tip);

public slots:
    /// Shows a (new) configuration; null forgets the current one. Keeps a copy for undo.
    void refreshUI(CDeviceDspData* dspData);
    void handleMessage(QString msg);
    void handleSignal(int index, bool haveSignal);
    void handleGetVolumeTimeout();
    /// Hands a command text (the microphone dialog's) to the device's serial tunnel.
    void slot_sendUdpToUartMsg(QString msg);
    /// Opens (or raises) the microphone dialog, which reads the processor's settings.
    void on_pb_mic_clicked();
    void slot_customControl(QString text);
    void slot_customSignal();
    void on_pb_save_clicked();
    void on_pb_undo_clicked();
    void on_matrix_bt_clicked();
    /// Rereads the channel names from the store.
    void refreshData();
    /// Shows or hides the lock notice from the stored lock level.
    void refreshLockLabel();

private:
    void buildUi();
    void redraw();
    void redrawChannel(bool isInput, int chIndex);
    void updateEstimate();
    /// The chain editor on the current configuration with the current facts (model limits, lock, forcing).
    DspChainEditor& chainEditor();
    /// Shows a result's message (and the lock notice when the lock refused); true when the edit was done.
    bool shown(const DspChainEditor::Result& result);
    /// After a done edit of a chain: its editors close, the strip and the estimate follow.
    void chainChanged(bool isInput, int chIndex);
    void updateForceAdd();
    /// The channel to change, or null when it is missing or the lock refuses (its strip is then redrawn).
    CChainChannel* editableChannel(bool isInput, int chIndex);
    bool refuseWhenLocked();
    void tip(const QString& text);
    bool ask(const QString& question);
    QString shownName(bool isInput, int chIndex) const;
    QString firmware() const;
    double delayBudget() const;
    /// Closes the editors of one channel (its block positions changed).
    void closeEditors(bool isInput, int chIndex);
    void closeAllEditors();
    void showBlockMenu(bool isInput, int chIndex, int blockIndex, const QPoint& globalPos);
    void showChannelMenu(bool isInput, int chIndex, const QPoint& globalPos);
    void addChannelEntries(QMenu* menu, bool isInput, int chIndex);
    void handleNameReply(const QString& ops, bool succ);
    void handleVolume(const QJsonObject& reply);
    DspChannelStrip* strip(bool isInput, int chIndex) const;

    CDeviceDspData* m_data = nullptr;
    std::unique_ptr<CDeviceDspData> m_downloaded; ///< the configuration as last downloaded or saved, for undo
    OfflineSaver m_offlineSaver;
    QString m_devId;
    QString m_model;
    bool m_offline = false;
    int m_estimate = 0;
    Asker m_ask;
    CodePrompt m_promptCode;
    Chooser m_choose;
    bool m_diyOpened = false;

    struct Selection
    {
        bool valid = false;
        bool isInput = true;
        int chIndex = 0;
        int position = 0;
    } m_sel;

    DspChainEditor m_editor; ///< the structural edits and their clipboards

    bool m_linkPending = false;
    DspLinkPlan m_pendingLink;
    /// Bypass switches sent from the menu, by blockFlag, awaiting the device's answer.
    QMap<QString, bool> m_pendingBypass;
    struct PendingName
    {
        bool isInput = true;
        int chIndex = 0;
        QString name;
    };
    QMap<QString, PendingName> m_pendingNames; ///< by ops

    QMap<QString, QPointer<DspBlockBaseForm>> m_editors;
    QMap<QString, QPointer<DspNodeForm>> m_nodeEditors;
    MemberCountPrompt m_promptMembers;
    TunnelSender m_sendTunnel;
    QPointer<MicControlDialog> m_mic;
    QList<FormDspDiagramInput*> m_inputs;
    QList<FormDspDiagramOutput*> m_outputs;
    QList<DspSideChannelStrip*> m_sideStrips;
    QVBoxLayout* m_inputColumn = nullptr;
    QVBoxLayout* m_outputColumn = nullptr;
    QRadioButton* m_forceAdd = nullptr;
    QPushButton* m_diy = nullptr;
    QLabel* m_estimateLabel = nullptr;
    QLabel* m_lockLabel = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_undo = nullptr;
    QPushButton* m_matrix = nullptr;
};

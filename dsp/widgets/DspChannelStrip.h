#pragma once
#include <QFrame>
#include <QList>
#include <QString>
#include <QVector>

class CBaseItem;
class CChainChannel;
struct DspGroup;
class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

/// One row of the signal diagram: number, editable name, mute, phase inversion, gain, channel group, link and
/// one button per block of the channel's chain with add buttons between them. The strip only shows and reports;
/// the diagram page decides and changes the configuration.
///
/// Object names (":In:" for inputs, ":Out:" for outputs, N the channel index from 0): "name:In:N", "mute:In:N",
/// "invert:In:N", "gain:In:N", "group:In:N", "link:In:N"; block buttons "blk_in_N_B" (B the block's index in the
/// chain); add buttons "In:N:P" where P is the insert position the page receives (for outputs counted from the
/// chain's end).
class DspChannelStrip : public QFrame
{
    Q_OBJECT
public:
    DspChannelStrip(bool isInput, int index, QWidget* parent = nullptr);

    bool isInput() const { return m_isInput; }
    int index() const { return m_index; }
    /// "In" or "Out".
    QString sideText() const { return m_isInput ? QStringLiteral("In") : QStringLiteral("Out"); }

    /// Shows the channel: its settings, its chain, the group choices (index 0 is "no group").
    void setChannel(const CChainChannel& channel, const QString& shownName, const QVector<DspGroup>& groups);
    /// Shows or hides the chain row.
    void setExpanded(bool expanded);
    bool isExpanded() const { return m_expanded; }
    /// Marks the chosen insert position (-1: none).
    void setSelectedPosition(int position);
    int selectedPosition() const { return m_selected; }
    /// Lights the signal mark.
    void setHaveSignal(bool haveSignal);
    /// The insert position that the add button at visual slot `slot` (0 = before the first block) stands for.
    int positionOfSlot(int slot, int chainLength) const;
    QString shownName() const;
    int blockButtonCount() const { return m_blockButtons.size(); }
    QPushButton* blockButton(int blockIndex) const;
    /// The block button's text for a block (kind name, bypass and link marks).
    static QString blockText(const CBaseItem& block);

signals:
    void signal_nameEdited(bool isInput, int chIndex, QString name);
    void signal_muteClicked(bool isInput, int chIndex, bool mute);
    void signal_invertClicked(bool isInput, int chIndex, bool inverse);
    void signal_gainEdited(bool isInput, int chIndex, double db);
    void signal_groupChosen(bool isInput, int chIndex, int groupId);
    void signal_linkClicked(bool isInput, int chIndex);
    void signal_addClicked(bool isInput, int chIndex, int position);
    void signal_blockClicked(bool isInput, int chIndex, int blockIndex);
    void signal_blockMenu(bool isInput, int chIndex, int blockIndex, QPoint globalPos);
    void signal_channelMenu(bool isInput, int chIndex, QPoint globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString objName(const char* what) const;
    void rebuildChain(const CChainChannel& channel);

    bool m_isInput;
    int m_index;
    bool m_expanded = true;
    int m_selected = -1;
    QLabel* m_number = nullptr;
    QLabel* m_signal = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_mute = nullptr;
    QPushButton* m_invert = nullptr;
    QDoubleSpinBox* m_gain = nullptr;
    QComboBox* m_group = nullptr;
    QPushButton* m_link = nullptr;
    QWidget* m_chain = nullptr;
    QHBoxLayout* m_chainLayout = nullptr;
    QList<QPushButton*> m_blockButtons;
    QList<QPushButton*> m_addButtons;
    QString m_confirmedName;
};

#pragma once
#include <QFrame>
#include <QString>
#include <QVector>

class DspSliderSpin;
struct DspGroup;
class QLabel;
class QLineEdit;
class QPushButton;

/// One channel group on the channel-volume page: editable name, gain fader with its field, mute and the input
/// channels that belong to it. It only shows and reports; the page decides and changes the configuration.
///
/// Object names (N the group index from 0): "groupName_N", "groupGain_N" (with "_slider" and "_spin"),
/// "groupMute_N", "groupMembers_N".
class DspGroupForm : public QFrame
{
    Q_OBJECT
public:
    explicit DspGroupForm(int groupId, QWidget* parent = nullptr);

    int groupId() const { return m_groupId; }
    /// Shows the group; `members` are input channel indexes from 0.
    void setGroup(const DspGroup& group, const QVector<int>& members);
    QString membersText() const;
    /// "1-4,9,11" for the channels 0..3, 8 and 10: members as the user counts them, runs joined.
    static QString membersText(const QVector<int>& members);

signals:
    void signal_nameEdited(int groupId, QString name);
    void signal_gainEdited(int groupId, double db);
    void signal_muteClicked(int groupId, bool mute);

public slots:
    /// The name field `objName` was edited to `name`.
    void recvEditName(QString name, QString objName);
    /// The gain of group `groupId` was edited to `gain` dB.
    void sendEditDbValue_slot(int groupId, double gain);

private:
    int m_groupId;
    QLineEdit* m_name = nullptr;
    DspSliderSpin* m_gain = nullptr;
    QPushButton* m_mute = nullptr;
    QLabel* m_members = nullptr;
};

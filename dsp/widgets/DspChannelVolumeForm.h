#pragma once
#include <QFrame>
#include <QString>
#include <QVector>

class CBaseChannel;
class DspChannelLevelBar;
class DspSliderSpin;
struct DspGroup;
class QComboBox;
class QLabel;
class QPushButton;

/// One fader strip of the channel-volume page: number and name, level meter, gain fader with its field, mute,
/// phase inversion and channel group. It only shows and reports; the page decides and changes the configuration.
///
/// Object names (K "in", "out", "aec" or "amx"; N the channel index from 0): "chName_K_N", "meter_K_N",
/// "gain_K_N" (with "_slider" and "_spin"), "mute_K_N", "invert_K_N", "group_K_N".
class DspChannelVolumeForm : public QFrame
{
    Q_OBJECT
public:
    enum Kind
    {
        Input,
        Output,
        Aec,
        Automixer
    };
    static constexpr double MinGainDb = -72;
    static constexpr double MaxGainDb = 12;

    DspChannelVolumeForm(Kind kind, int index, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    int index() const { return m_index; }
    /// "in", "out", "aec" or "amx".
    QString kindText() const;

    /// Shows the channel's settings; the group box offers "no group" and then `groups`.
    void setChannel(const CBaseChannel& channel, const QString& shownName, const QVector<DspGroup>& groups);
    /// Shows a level in whole dB.
    void setLevel(int db);
    int level() const;
    /// Echo-cancelled and automixer channels are edited in their own editors: their strips only show.
    void setEditable(bool editable);

signals:
    void signal_gainEdited(int kind, int index, double db);
    void signal_muteClicked(int kind, int index, bool mute);
    void signal_invertClicked(int kind, int index, bool inverse);
    void signal_groupChosen(int kind, int index, int groupId);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString objName(const char* what) const;
    void showName();

    Kind m_kind;
    int m_index;
    QString m_shownName;
    QLabel* m_name = nullptr;
    DspChannelLevelBar* m_meter = nullptr;
    DspSliderSpin* m_gain = nullptr;
    QPushButton* m_mute = nullptr;
    QPushButton* m_invert = nullptr;
    QComboBox* m_group = nullptr;
};

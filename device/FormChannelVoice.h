#pragma once
#include <QString>
#include <QWidget>

class LevelMeter;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

/// One channel row of the levels page: number, name, meter and, for physical channels, gain slider, value
/// field and mute button (plus gain step and power for amplifier outputs). Child object names carry the
/// side and the 0-based index ("ChannelName:In:3"). Setters change the widgets without emitting the
/// edit signals, so replies never echo back to the device.
class FormChannelVoice : public QWidget
{
    Q_OBJECT
public:
    struct Options
    {
        QString side;           ///< "In", "out", "netIn" or "netOut"
        int index = 0;          ///< 0-based channel index within the side
        bool physical = true;   ///< network rows carry only name and meter
        bool amplifier = false; ///< gain step and power controls
    };

    explicit FormChannelVoice(const Options& options, QWidget* parent = nullptr);

    int index() const { return m_options.index; }
    QString side() const { return m_options.side; }
    bool isPhysical() const { return m_options.physical; }

    /// Shows a name; an edit in progress is not overwritten.
    void setName(const QString& name);
    QString name() const { return m_name; }

    /// The row level in whole dB (unclamped); the meter shows it clamped.
    void setLevel(int level);
    int level() const { return m_level; }
    int meterValue() const;

    /// Gain in dB (physical rows); the slider is left alone while the user holds it.
    void setGain(double gain);
    double gain() const { return m_gain; }
    void setMuted(bool muted);
    bool isMuted() const { return m_muted; }

    /// Amplifier controls: number of gain steps, the current step and the power state.
    void setAmpGainSteps(int count);
    void setAmpGainStep(int step);
    void setAmpPower(bool on);

signals:
    void nameEdited(int index, const QString& name);
    void gainEdited(int index, double gain);
    /// The value field held something outside -60..12 dB or not a number.
    void gainRefused(int index);
    void muteEdited(int index, bool muted);
    void ampGainEdited(int index, int step);
    void ampPowerEdited(int index, bool on);

private:
    QString childName(const char* prefix) const;
    void commitName();
    void commitField();
    void sliderMoved(int position);
    void emitGain(double gain);

    Options m_options;
    QString m_name;
    int m_level;
    double m_gain = 0.0;
    bool m_muted = false;

    QLineEdit* m_nameEdit = nullptr;
    LevelMeter* m_meter = nullptr;
    QSlider* m_slider = nullptr;
    QLineEdit* m_valueEdit = nullptr;
    QPushButton* m_mute = nullptr;
    QComboBox* m_ampGain = nullptr;
    QPushButton* m_ampPower = nullptr;
};

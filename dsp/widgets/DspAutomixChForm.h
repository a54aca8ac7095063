#pragma once
#include "AutomixerMask.h"

#include <QFrame>

#include <functional>

class DspSliderSpin;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;

/// One member strip of the automixer editor: name, open indicator and level, gain, bypass, always-on, pre- and
/// post-mute, priority and channel position. Reports every change as the member's whole new mask fields.
class DspAutomixChForm : public QFrame
{
    Q_OBJECT
public:
    /// Priorities the box offers ("优先级:0" to "优先级:10"); a higher one read from the device is offered too.
    static constexpr int kPriorities = 10;
    /// Gain range of the slider; the field beside it takes the same range.
    static constexpr int kMinGain = -60;
    static constexpr int kMaxGain = 12;
    static constexpr int kFloorDb = -90;

    DspAutomixChForm(int member, QWidget* parent = nullptr);

    int member() const { return m_member; }
    /// Shows the member without reporting anything.
    void setMember(const QString& name, const AutomixerMask& mask);
    const AutomixerMask& mask() const { return m_mask; }
    void setOpen(bool open);
    bool isOpen() const { return m_open; }
    /// A level text of the device ("-inf" is silence).
    void setLevel(const QString& text);
    int levelDb() const { return m_levelDb; }

signals:
    void signal_changed(int member, AutomixerMask mask);

private:
    QCheckBox* flagBox(const QString& name, const QString& text, bool AutomixerMask::*field);
    void edit(const std::function<void(AutomixerMask&)>& change);

    int m_member;
    AutomixerMask m_mask;
    bool m_open = false;
    int m_levelDb = kFloorDb;
    QLabel* m_name = nullptr;
    QLabel* m_openMark = nullptr;
    QProgressBar* m_meter = nullptr;
    QLabel* m_level = nullptr;
    DspSliderSpin* m_gain = nullptr;
    QComboBox* m_priority = nullptr;
    QList<QPair<QCheckBox*, bool AutomixerMask::*>> m_flags;
};

#pragma once
#include "AudioCfgText.h"

#include <QMap>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QSpinBox;

/// The editor of the device's audio configuration text: one control per edited key, filled from "getCfg";
/// the lines the editor does not show are kept and sent back unchanged.
class AudioCfgEditor : public QWidget
{
    Q_OBJECT
public:
    explicit AudioCfgEditor(QWidget* parent = nullptr);

    /// Takes the "cfg" text of a reply; false (with `error`) when it is beyond the bounds, and nothing changes.
    bool load(const QString& cfg, QString* error);
    bool loaded() const { return m_loaded; }
    /// The text with the controls' values; `error` names the first value that cannot go.
    QString editedText(QString* error) const;

private:
    AudioCfgText::Lines m_lines;
    bool m_loaded = false;
    QMap<QString, QSpinBox*> m_counts;
    QMap<QString, QComboBox*> m_choices;
    QMap<QString, QCheckBox*> m_flags;
};

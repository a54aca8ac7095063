#include "AudioCfgEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

AudioCfgEditor::AudioCfgEditor(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("audioCfgEditor"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    int i = 0;
    // Two columns of label and control.
    for (const AudioCfgText::Key& k : AudioCfgText::editedKeys()) {
        const QString key = QLatin1String(k.key);
        QWidget* control = nullptr;
        switch (k.kind) {
        case AudioCfgText::Kind::Count: {
            auto* box = new QSpinBox(this);
            box->setRange(0, AudioCfgText::kMaxChannels);
            m_counts.insert(key, box);
            control = box;
            break;
        }
        case AudioCfgText::Kind::Choice: {
            auto* box = new QComboBox(this);
            box->addItems(k.choices);
            m_choices.insert(key, box);
            control = box;
            break;
        }
        case AudioCfgText::Kind::Flag: {
            auto* box = new QCheckBox(this);
            m_flags.insert(key, box);
            control = box;
            break;
        }
        }
        control->setObjectName(QStringLiteral("cfg_") + key);
        control->setEnabled(false); // until the device's text is read
        const int row = i / 2;
        const int col = (i % 2) * 2;
        grid->addWidget(new QLabel(QCoreApplication::translate("AudioCfgText", k.label), this), row, col);
        grid->addWidget(control, row, col + 1);
        ++i;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

bool AudioCfgEditor::load(const QString& cfg, QString* error)
{
    AudioCfgText::Lines lines;
    if (!AudioCfgText::parse(cfg, &lines, error))
        return false;
    m_lines = lines;
    m_loaded = true;
    for (auto it = m_counts.begin(); it != m_counts.end(); ++it) {
        const QSignalBlocker block(it.value());
        const QString v = lines.value(it.key());
        it.value()->setEnabled(!v.isNull());
        it.value()->setValue(v.toInt());
    }
    for (auto it = m_choices.begin(); it != m_choices.end(); ++it) {
        QComboBox* box = it.value();
        const QSignalBlocker block(box);
        const QString v = lines.value(it.key());
        box->setEnabled(!v.isNull());
        // A value outside the choices is shown as it is; sending it back unchanged is refused by the check.
        for (int j = box->count() - 1; j >= 0; --j)
            if (box->itemData(j).toBool())
                box->removeItem(j);
        if (!v.isNull() && box->findText(v) < 0)
            box->addItem(v.left(32), true);
        box->setCurrentIndex(std::max(0, box->findText(v.left(32))));
    }
    for (auto it = m_flags.begin(); it != m_flags.end(); ++it) {
        const QSignalBlocker block(it.value());
        const QString v = lines.value(it.key());
        it.value()->setEnabled(!v.isNull());
        it.value()->setChecked(v == QLatin1String("1"));
    }
    return true;
}

QString AudioCfgEditor::editedText(QString* error) const
{
    AudioCfgText::Lines lines = m_lines;
    // Only keys the device carries are written: the editor adds no line the device did not have.
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        if (!lines.value(it.key()).isNull())
            lines.set(it.key(), QString::number(it.value()->value()));
    for (auto it = m_choices.cbegin(); it != m_choices.cend(); ++it)
        if (!lines.value(it.key()).isNull())
            lines.set(it.key(), it.value()->currentText());
    for (auto it = m_flags.cbegin(); it != m_flags.cend(); ++it)
        if (!lines.value(it.key()).isNull())
            lines.set(it.key(), it.value()->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    *error = AudioCfgText::check(lines);
    return lines.text();
}

#include "FormChannelVoice.h"

#include "LevelConversion.h"
#include "LevelMeter.h"
#include "UiScale.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

FormChannelVoice::FormChannelVoice(const Options& options, QWidget* parent)
    : QWidget(parent), m_options(options), m_level(LevelConversion::kSilentLevel)
{
    setObjectName(childName("FormChannelVoice"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(UiScale::px(6), UiScale::px(2), UiScale::px(6), UiScale::px(2));
    layout->setSpacing(UiScale::px(8));

    auto* number = new QLabel(QString::number(options.index + 1), this);
    number->setFixedWidth(UiScale::px(34));
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(number);

    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(childName("ChannelName"));
    m_nameEdit->setFixedWidth(UiScale::px(150));
    connect(m_nameEdit, &QLineEdit::editingFinished, this, &FormChannelVoice::commitName);
    layout->addWidget(m_nameEdit);

    m_meter = new LevelMeter(this);
    m_meter->setObjectName(childName("meter"));
    layout->addWidget(m_meter, 1);

    if (options.physical) {
        m_slider = new QSlider(Qt::Horizontal, this);
        m_slider->setObjectName(childName("change_value_slider"));
        m_slider->setRange(LevelConversion::kSliderMin, LevelConversion::kSliderMax);
        m_slider->setValue(0);
        m_slider->setFixedWidth(UiScale::px(180));
        connect(m_slider, &QSlider::valueChanged, this, &FormChannelVoice::sliderMoved);
        connect(m_slider, &QSlider::sliderReleased, this,
                [this] { emitGain(LevelConversion::gainFromSlider(m_slider->value())); });
        layout->addWidget(m_slider);

        m_valueEdit = new QLineEdit(LevelConversion::valueText(0.0), this);
        m_valueEdit->setObjectName(childName("show_val_le"));
        m_valueEdit->setFixedWidth(UiScale::px(56));
        connect(m_valueEdit, &QLineEdit::editingFinished, this, &FormChannelVoice::commitField);
        layout->addWidget(m_valueEdit);
        layout->addWidget(new QLabel(QStringLiteral("dB"), this));

        m_mute = new QPushButton(tr("静音"), this);
        m_mute->setObjectName(childName("mute"));
        m_mute->setCheckable(true);
        // Wide enough for the word in either language at any font size ("Mute" was cut to "ute").
        m_mute->setFixedWidth(std::max(UiScale::px(56), m_mute->sizeHint().width()));
        connect(m_mute, &QPushButton::clicked, this, [this](bool checked) {
            m_muted = checked;
            emit muteEdited(m_options.index, checked);
        });
        layout->addWidget(m_mute);
    }

    if (options.physical && options.amplifier) {
        m_ampGain = new QComboBox(this);
        m_ampGain->setObjectName(childName("gainLev"));
        m_ampGain->setFixedWidth(UiScale::px(70));
        connect(m_ampGain, QOverload<int>::of(&QComboBox::activated), this,
                [this](int step) { emit ampGainEdited(m_options.index, step); });
        layout->addWidget(m_ampGain);

        m_ampPower = new QPushButton(tr("电源"), this);
        m_ampPower->setObjectName(childName("bt0"));
        m_ampPower->setCheckable(true);
        m_ampPower->setFixedWidth(UiScale::px(56));
        connect(m_ampPower, &QPushButton::clicked, this,
                [this](bool checked) { emit ampPowerEdited(m_options.index, checked); });
        layout->addWidget(m_ampPower);
    }
    setFixedHeight(UiScale::px(30));
}

QString FormChannelVoice::childName(const char* prefix) const
{
    return QStringLiteral("%1:%2:%3").arg(QLatin1String(prefix), m_options.side).arg(m_options.index);
}

void FormChannelVoice::setName(const QString& name)
{
    m_name = name;
    // The user's unfinished edit wins over a refresh.
    if (m_nameEdit->hasFocus() && m_nameEdit->isModified())
        return;
    if (m_nameEdit->text() != name)
        m_nameEdit->setText(name);
    m_nameEdit->setModified(false);
}

void FormChannelVoice::commitName()
{
    const QString typed = m_nameEdit->text();
    m_nameEdit->setModified(false);
    if (typed == m_name)
        return;
    emit nameEdited(m_options.index, typed);
}

void FormChannelVoice::setLevel(int level)
{
    m_level = level;
    m_meter->setValue(level);
}

int FormChannelVoice::meterValue() const
{
    return m_meter->value();
}

void FormChannelVoice::setGain(double gain)
{
    m_gain = qBound(LevelConversion::kGainMin, gain, LevelConversion::kGainMax);
    if (!m_slider)
        return;
    // Never pull the knob from under the user's hand.
    if (m_slider->isSliderDown())
        return;
    {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(LevelConversion::sliderPosition(m_gain));
    }
    const QString text = LevelConversion::valueText(m_gain);
    if (m_valueEdit->text() != text && !m_valueEdit->hasFocus())
        m_valueEdit->setText(text);
}

void FormChannelVoice::setMuted(bool muted)
{
    m_muted = muted;
    if (m_mute && m_mute->isChecked() != muted) {
        const QSignalBlocker block(m_mute);
        m_mute->setChecked(muted);
    }
}

void FormChannelVoice::sliderMoved(int position)
{
    const double gain = LevelConversion::gainFromSlider(position);
    m_valueEdit->setText(LevelConversion::valueText(gain));
    // While dragged, only the release sends: one request per gesture, not one per pixel.
    if (!m_slider->isSliderDown())
        emitGain(gain);
}

void FormChannelVoice::commitField()
{
    double gain = 0.0;
    if (!LevelConversion::gainFromField(m_valueEdit->text(), &gain)) {
        m_valueEdit->setText(LevelConversion::valueText(m_gain));
        emit gainRefused(m_options.index);
        return;
    }
    if (gain == m_gain)
        return;
    {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(LevelConversion::sliderPosition(gain));
    }
    emitGain(gain);
}

void FormChannelVoice::emitGain(double gain)
{
    m_gain = gain;
    emit gainEdited(m_options.index, gain);
}

void FormChannelVoice::setAmpGainSteps(int count)
{
    if (!m_ampGain || count < 1 || count > 64 || m_ampGain->count() == count)
        return;
    const QSignalBlocker block(m_ampGain);
    const int current = m_ampGain->currentIndex();
    m_ampGain->clear();
    for (int i = 0; i < count; ++i)
        m_ampGain->addItem(QString::number(i));
    m_ampGain->setCurrentIndex(qBound(0, current, count - 1));
}

void FormChannelVoice::setAmpGainStep(int step)
{
    if (!m_ampGain || step < 0)
        return;
    if (step >= m_ampGain->count())
        setAmpGainSteps(step + 1);
    const QSignalBlocker block(m_ampGain);
    m_ampGain->setCurrentIndex(step);
}

void FormChannelVoice::setAmpPower(bool on)
{
    if (!m_ampPower)
        return;
    const QSignalBlocker block(m_ampPower);
    m_ampPower->setChecked(on);
}

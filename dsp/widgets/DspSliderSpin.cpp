#include "DspSliderSpin.h"

#include "UiScale.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

DspSliderSpin::DspSliderSpin(const QString& name, const QString& caption, const QString& unit, const Range& range,
                             QWidget* parent)
    : QWidget(parent), m_range(range)
{
    setObjectName(name);
    auto* title = new QLabel(caption, this);
    title->setObjectName(name + QStringLiteral("_caption"));
    title->setAlignment(Qt::AlignCenter);
    m_slider = new QSlider(Qt::Vertical, this);
    m_slider->setObjectName(name + QStringLiteral("_slider"));
    m_slider->setRange(toSlider(range.min), toSlider(range.max));
    m_slider->setMinimumHeight(UiScale::px(150));
    m_spin = new QDoubleSpinBox(this);
    m_spin->setObjectName(name + QStringLiteral("_spin"));
    m_spin->setDecimals(range.decimals);
    m_spin->setRange(range.min, range.max);
    m_spin->setSingleStep(range.step);
    m_spin->setKeyboardTracking(false);
    m_spin->setAlignment(Qt::AlignCenter);
    m_spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_spin->setMinimumWidth(UiScale::px(72));

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(title);
    box->addWidget(m_slider, 1, Qt::AlignHCenter);
    box->addWidget(m_spin, 0, Qt::AlignHCenter);
    auto* unitLabel = new QLabel(unit, this);
    unitLabel->setObjectName(name + QStringLiteral("_unit"));
    unitLabel->setAlignment(Qt::AlignCenter);
    box->addWidget(unitLabel);

    connect(m_slider, &QSlider::valueChanged, this, &DspSliderSpin::onSlider);
    connect(m_spin, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &DspSliderSpin::onSpin);
    connect(m_spin, &QDoubleSpinBox::editingFinished, this, &DspSliderSpin::onSpin);
}

int DspSliderSpin::toSlider(double value) const
{
    return int(std::lround(value * m_range.scale + m_range.offset));
}

double DspSliderSpin::fromSlider(int position) const
{
    return (position - m_range.offset) / m_range.scale;
}

void DspSliderSpin::setValue(double value)
{
    const QSignalBlocker a(m_slider);
    const QSignalBlocker b(m_spin);
    m_spin->setValue(value);
    m_slider->setValue(toSlider(qBound(m_range.min, value, m_range.max)));
}

double DspSliderSpin::value() const
{
    return m_spin->value();
}

void DspSliderSpin::onSlider(int position)
{
    const double v = fromSlider(position);
    {
        const QSignalBlocker b(m_spin);
        m_spin->setValue(v);
    }
    emit signal_edited(v);
}

void DspSliderSpin::onSpin()
{
    const double v = m_spin->value();
    {
        const QSignalBlocker b(m_slider);
        m_slider->setValue(toSlider(v));
    }
    emit signal_edited(v);
}

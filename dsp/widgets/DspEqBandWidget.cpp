#include "DspEqBandWidget.h"

#include "AppState.h"
#include "CEqItem.h"
#include "DspEqStyle.h"
#include "UiScale.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr double kSame = 1e-6;

} // namespace

DspEqBandWidget::DspEqBandWidget(int band, QWidget* parent) : QWidget(parent), m_band(band)
{
    setObjectName(QStringLiteral("band_%1").arg(band));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(2), 0, UiScale::px(2), 0);
    layout->setSpacing(UiScale::px(4));
    m_title = new QLabel(QString::number(band + 1), this);
    m_title->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_title);

    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("combox_band_type_%1").arg(band));
    for (int t = 0; t < 3; ++t)
        m_type->addItem(typeName(t), t);
    connect(m_type, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { emit signal_bandEdited(m_band, Type, m_type->itemData(i).toInt()); });
    layout->addWidget(m_type);

    m_freq =
        addSpin(QStringLiteral("sb_band_freq_%1").arg(band), DspEqStyle::minHz(), DspEqStyle::maxHz(), 1, Frequency);
    m_gain = addSpin(QStringLiteral("sb_band_gain_%1").arg(band), -30, 18, 1, Gain);
    // Down to zero, so that a too small Q reaches the band and is refused there rather than silently raised.
    m_q = addSpin(QStringLiteral("sb_band_q_%1").arg(band), 0, 20, 3, Q);

    m_bypass = new QPushButton(AppState::pick(QStringLiteral("旁通"), QStringLiteral("Bypass")), this);
    m_bypass->setObjectName(QStringLiteral("pb_band_bypass_%1").arg(band));
    m_bypass->setCheckable(true);
    connect(m_bypass, &QPushButton::clicked, this, [this](bool on) { emit signal_bandBypassClicked(m_band, on); });
    layout->addWidget(m_bypass);
    for (QWidget* w : {static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_type), static_cast<QWidget*>(m_freq),
                       static_cast<QWidget*>(m_gain), static_cast<QWidget*>(m_q), static_cast<QWidget*>(m_bypass)})
        w->setFixedHeight(DspEqStyle::rowHeight());
    setFixedWidth(qMax(UiScale::px(104), 104)); // the texts keep their size on small screens
}

QDoubleSpinBox* DspEqBandWidget::addSpin(const QString& name, double min, double max, int decimals, Field field)
{
    auto* spin = new QDoubleSpinBox(this);
    spin->setObjectName(name);
    spin->setRange(min, max);
    spin->setDecimals(decimals);
    spin->setKeyboardTracking(false);
    spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
    spin->setAlignment(Qt::AlignCenter);
    // Both: arrows and wheel give valueChanged only, a retyped value gives editingFinished only; a value reported
    // twice is equal the second time and the editor sends nothing for it.
    connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this, field](double v) { emit signal_bandEdited(m_band, field, v); });
    connect(spin, &QDoubleSpinBox::editingFinished, this,
            [this, spin, field] { emit signal_bandEdited(m_band, field, spin->value()); });
    layout()->addWidget(spin);
    return spin;
}

QString DspEqBandWidget::typeName(int type)
{
    switch (type) {
    case 0:
        return QStringLiteral("PEQ");
    case 1:
        return QStringLiteral("Lo Shelf");
    case 2:
        return QStringLiteral("Hi Shelf");
    default:
        return QStringLiteral("Type %1").arg(type);
    }
}

void DspEqBandWidget::showBand(const CEqItem& item)
{
    const QSignalBlocker b1(m_type), b2(m_freq), b3(m_gain), b4(m_q), b5(m_bypass);
    int i = m_type->findData(item.type());
    if (i < 0) {
        m_type->addItem(typeName(item.type()), item.type());
        i = m_type->count() - 1;
    }
    m_type->setCurrentIndex(i);
    m_freq->setValue(item.freq0());
    m_gain->setValue(item.dbGain());
    m_q->setValue(item.qBwS());
    m_bypass->setChecked(item.isBypass());
}

bool DspEqBandWidget::differs(const CEqItem& item, Field field, double value)
{
    switch (field) {
    case Type:
        return int(value) != item.type();
    case Frequency:
        return std::abs(value - item.freq0()) > kSame;
    case Gain:
        return std::abs(value - item.dbGain()) > kSame;
    case Q:
        return std::abs(value - item.qBwS()) > kSame;
    }
    return false;
}

bool DspEqBandWidget::apply(CEqItem& item, Field field, double value)
{
    switch (field) {
    case Type:
        item.setType(int(value));
        return true;
    case Frequency:
        item.setFreq0(value);
        return true;
    case Gain:
        item.setDbGain(value);
        return true;
    case Q:
        return item.setQBwS(value);
    }
    return false;
}

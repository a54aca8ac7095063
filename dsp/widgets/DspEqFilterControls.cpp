#include "DspEqFilterControls.h"

#include "AppState.h"
#include "CHlpfItem.h"
#include "DspEqStyle.h"
#include "EqBiquad.h"
#include "UiScale.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cmath>

DspEqFilterControls::DspEqFilterControls(bool highPass, QWidget* parent) : QWidget(parent), m_highPass(highPass)
{
    const QString tag = highPass ? QStringLiteral("hpf") : QStringLiteral("lpf");
    setObjectName(QStringLiteral("filter_%1").arg(tag));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(UiScale::px(6));

    auto* title = new QLabel(highPass ? QStringLiteral("HPF") : QStringLiteral("LPF"), this);
    title->setStyleSheet(QStringLiteral("font-weight:bold;"));
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("combox %1 type").arg(tag));
    m_type->addItem(QStringLiteral("Butterworth"), int(EqBiquad::Butterworth));
    m_type->addItem(QStringLiteral("Bessel"), int(EqBiquad::Bessel));
    m_type->addItem(QStringLiteral("Linkwitz-Riley"), int(EqBiquad::LinkwitzRiley));
    connect(m_type, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { emit signal_filterEdited(m_highPass, Type, m_type->itemData(i).toInt()); });

    m_order = new QComboBox(this);
    m_order->setObjectName(QStringLiteral("combox_%1_order").arg(tag));
    connect(m_order, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { emit signal_filterEdited(m_highPass, Order, m_order->itemData(i).toInt()); });

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("slider_%1_freq").arg(tag));
    m_slider->setRange(0, SliderSteps);
    m_slider->setMinimumWidth(UiScale::px(160));
    connect(m_slider, &QSlider::valueChanged, this,
            [this](int pos) { emit signal_filterEdited(m_highPass, Frequency, sliderFrequency(pos)); });

    m_freq = new QDoubleSpinBox(this);
    m_freq->setObjectName(QStringLiteral("sb_%1_freq").arg(tag));
    m_freq->setRange(DspEqStyle::minHz(), DspEqStyle::maxHz());
    m_freq->setDecimals(1);
    m_freq->setSuffix(QStringLiteral(" Hz"));
    m_freq->setKeyboardTracking(false);
    m_freq->setButtonSymbols(QAbstractSpinBox::NoButtons);
    connect(m_freq, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double v) { emit signal_filterEdited(m_highPass, Frequency, v); });
    connect(m_freq, &QDoubleSpinBox::editingFinished, this,
            [this] { emit signal_filterEdited(m_highPass, Frequency, m_freq->value()); });

    m_bypass = new QPushButton(AppState::pick(QStringLiteral("旁通"), QStringLiteral("Bypass")), this);
    m_bypass->setObjectName(QStringLiteral("pb_%1_bypass").arg(tag));
    m_bypass->setCheckable(true);
    connect(m_bypass, &QPushButton::clicked, this,
            [this](bool on) { emit signal_filterBypassClicked(m_highPass, on); });

    grid->addWidget(title, 0, 0);
    grid->addWidget(m_type, 0, 1);
    grid->addWidget(m_order, 0, 2);
    grid->addWidget(m_bypass, 0, 3);
    grid->addWidget(m_slider, 1, 0, 1, 3);
    grid->addWidget(m_freq, 1, 3);
}

QVector<int> DspEqFilterControls::allowedOrders(int type)
{
    switch (type) {
    case EqBiquad::Bessel:
        return {2, 3, 4, 5, 6, 7, 8};
    case EqBiquad::LinkwitzRiley:
        return {2, 4, 6, 8};
    default:
        return {1, 2, 3, 4, 5, 6, 7, 8};
    }
}

int DspEqFilterControls::fitOrder(int type, int order)
{
    const QVector<int> orders = allowedOrders(type);
    for (int o : orders)
        if (o >= order)
            return o;
    return orders.last();
}

int DspEqFilterControls::sliderPosition(double hz)
{
    const double t = std::log10(qBound(MinHz, hz, MaxHz) / MinHz) / std::log10(MaxHz / MinHz);
    return int(std::lround(t * SliderSteps));
}

double DspEqFilterControls::sliderFrequency(int position)
{
    const double t = double(qBound(0, position, SliderSteps)) / SliderSteps;
    // Whole hertz: a slider step is wider than that everywhere.
    return std::round(MinHz * std::pow(MaxHz / MinHz, t));
}

void DspEqFilterControls::fillOrders(int type, int order)
{
    m_order->clear();
    QVector<int> orders = allowedOrders(type);
    // An order the device holds but the type does not list is still shown as it is.
    if (!orders.contains(order)) {
        orders.append(order);
        std::sort(orders.begin(), orders.end());
    }
    for (int o : orders)
        m_order->addItem(AppState::pick(QStringLiteral("%1阶"), QStringLiteral("Order %1")).arg(o), o);
    m_order->setCurrentIndex(m_order->findData(order));
}

void DspEqFilterControls::showFilter(const CHlpfItem& filter)
{
    const QSignalBlocker b1(m_type), b2(m_order), b3(m_slider), b4(m_freq), b5(m_bypass);
    int i = m_type->findData(filter.type());
    if (i < 0) {
        m_type->addItem(QStringLiteral("Type %1").arg(filter.type()), filter.type());
        i = m_type->count() - 1;
    }
    m_type->setCurrentIndex(i);
    fillOrders(filter.type(), filter.order());
    m_slider->setValue(sliderPosition(filter.freq0()));
    m_freq->setValue(filter.freq0());
    m_bypass->setChecked(filter.isBypass());
}

#include "LevelMeter.h"

#include "LevelConversion.h"
#include "UiScale.h"

#include <QPainter>

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent), m_value(LevelConversion::kMeterMin)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(UiScale::px(10));
    setMinimumWidth(UiScale::px(80));
}

void LevelMeter::setValue(int db)
{
    const int v = LevelConversion::meterValue(db);
    if (v == m_value)
        return;
    m_value = v;
    update();
}

QSize LevelMeter::sizeHint() const
{
    return QSize(UiScale::px(160), UiScale::px(10));
}

void LevelMeter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, QColor(0x20, 0x24, 0x2b));
    const int span = LevelConversion::kMeterMax - LevelConversion::kMeterMin;
    const int filled = r.width() * (m_value - LevelConversion::kMeterMin) / span;
    if (filled <= 0)
        return;
    // Green up to -18 dB, amber to -6 dB, red above: the usual reading of headroom.
    const int amberX = r.width() * (-18 - LevelConversion::kMeterMin) / span;
    const int redX = r.width() * (-6 - LevelConversion::kMeterMin) / span;
    p.fillRect(QRect(r.left(), r.top(), qMin(filled, amberX), r.height()), QColor(0x3c, 0xb3, 0x71));
    if (filled > amberX)
        p.fillRect(QRect(r.left() + amberX, r.top(), qMin(filled, redX) - amberX, r.height()),
                   QColor(0xe6, 0xa2, 0x3c));
    if (filled > redX)
        p.fillRect(QRect(r.left() + redX, r.top(), filled - redX, r.height()), QColor(0xd9, 0x4a, 0x3d));
}

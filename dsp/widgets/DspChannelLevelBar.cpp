#include "DspChannelLevelBar.h"

#include "UiScale.h"

#include <QPainter>

DspChannelLevelBar::DspChannelLevelBar(int floorDb, QWidget* parent)
    : QWidget(parent), m_floor(qMin(floorDb, -1)), m_db(m_floor)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

QSize DspChannelLevelBar::sizeHint() const
{
    return QSize(UiScale::px(8), UiScale::px(90));
}

int DspChannelLevelBar::barHeight(int db) const
{
    const int inner = qMax(0, height() - 2);
    return inner * (db - m_floor) / -m_floor;
}

void DspChannelLevelBar::setLevel(int db)
{
    db = qBound(m_floor, db, 0);
    if (db == m_db)
        return;
    const bool redraw = barHeight(db) != barHeight(m_db);
    m_db = db;
    setToolTip(QStringLiteral("%1 dB").arg(m_db));
    if (redraw)
        update();
}

void DspChannelLevelBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x3a, 0x40, 0x4b));
    p.fillRect(rect().adjusted(1, 1, -1, -1), QColor(0x15, 0x18, 0x1d));
    const int h = barHeight(m_db);
    if (h > 0)
        p.fillRect(QRect(1, height() - 1 - h, width() - 2, h),
                   m_db > -6 ? QColor(0xe6, 0x7e, 0x22) : QColor(0x3c, 0xb3, 0x71));
}

#include "AxisStrip.h"

#include "MatrixAxis.h"
#include "MatrixIcons.h"
#include "UiScale.h"

#include <QMouseEvent>
#include <QPainter>

AxisStrip::AxisStrip(Qt::Orientation orientation, const MatrixAxis* axis, const QSet<QString>* expanded,
                     QWidget* parent)
    : QWidget(parent), m_orientation(orientation), m_axis(axis), m_expanded(expanded)
{
}

void AxisStrip::setCellSize(int size)
{
    m_size = qMax(1, size);
    update();
}

void AxisStrip::setOffset(int offset)
{
    if (offset != m_offset) {
        m_offset = offset;
        update();
    }
}

void AxisStrip::setHighlight(int pos)
{
    if (pos != m_highlight) {
        m_highlight = pos;
        update();
    }
}

void AxisStrip::setBlinkPhase(bool lit)
{
    if (lit != m_blinkLit) {
        m_blinkLit = lit;
        update();
    }
}

int AxisStrip::itemAt(const QPoint& p) const
{
    const int along = m_orientation == Qt::Vertical ? p.y() : p.x();
    if (along < 0)
        return -1;
    const int pos = (along + m_offset) / m_size;
    return m_axis->isValid(pos) ? pos : -1;
}

bool AxisStrip::inToggleZone(const QPoint& p) const
{
    const int zone = UiScale::px(18);
    // Column text runs upwards from the bottom edge, so the toggle sits there.
    return m_orientation == Qt::Vertical ? p.x() <= zone : p.y() >= height() - zone;
}

void AxisStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x1A, 0x1B, 0x1F));
    const bool vertical = m_orientation == Qt::Vertical;
    const int length = vertical ? height() : width();
    const int across = vertical ? width() : height();
    const int first = m_offset / m_size;
    const int last = qMin(m_axis->size(), (m_offset + length) / m_size + 1);
    QFont f = font();
    f.setPixelSize(qMax(8, m_size * 5 / 8));
    p.setFont(f);
    for (int pos = first; pos < last; ++pos) {
        const AxisItem& item = m_axis->at(pos);
        const int start = pos * m_size - m_offset;
        p.save();
        if (vertical) {
            p.translate(0, start);
        } else {
            // Draw columns as rows turned a quarter anticlockwise: the text reads upwards.
            p.translate(start, across);
            p.rotate(-90);
        }
        const QRect cell(0, 0, across, m_size);
        const bool header = item.channel == 0;
        QColor back = header ? QColor(0x2C, 0x2E, 0x36) : QColor(0x21, 0x22, 0x27);
        if (pos == m_highlight)
            back = QColor(0x45, 0x48, 0x5A);
        if (header && m_blinkLit && m_blinking != nullptr && m_blinking->contains(item.id))
            back = blinkColor();
        p.fillRect(cell, back);
        p.fillRect(QRect(0, m_size - 1, across, 1), QColor(0x34, 0x35, 0x3C));
        int textX = m_size / 4;
        if (header) {
            const bool open = m_expanded->contains(item.id);
            p.drawPixmap(0, 0, MatrixIcons::pixmap(open ? MatrixIcons::ArrowDown : MatrixIcons::ArrowLeft, m_size));
            textX = m_size + 2;
        } else {
            textX = m_size + m_size / 2;
        }
        p.setPen(header ? QColor(0xF0, 0xF0, 0xF4) : QColor(0xB8, 0xB8, 0xC4));
        p.drawText(QRect(textX, 0, across - textX - 2, m_size), Qt::AlignVCenter | Qt::AlignLeft,
                   header ? item.name : item.secondName);
        p.restore();
    }
}

void AxisStrip::mouseReleaseEvent(QMouseEvent* event)
{
    const int pos = itemAt(event->pos());
    if (event->button() == Qt::LeftButton && pos >= 0 && inToggleZone(event->pos()))
        emit signal_toggle(pos);
    QWidget::mouseReleaseEvent(event);
}

void AxisStrip::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int pos = itemAt(event->pos());
    if (pos >= 0 && m_axis->at(pos).channel == 0)
        emit signal_doubleClicked(pos);
    QWidget::mouseDoubleClickEvent(event);
}

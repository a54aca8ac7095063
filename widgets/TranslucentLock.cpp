#include "TranslucentLock.h"

#include "UiScale.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

/// A padlock centred on `centre`, `size` pixels tall; returns the bottom edge of the drawing.
int paintPadlock(QPainter& p, const QPoint& centre, int size)
{
    const int bodyW = size * 3 / 4;
    const int bodyH = size / 2;
    const QRect body(centre.x() - bodyW / 2, centre.y() - bodyH / 4, bodyW, bodyH);
    const int shackleW = bodyW * 3 / 5;
    const int stroke = qMax(2, size / 12);

    // Shackle: an arch standing on the body.
    QPen pen(QColor(0xd8, 0xde, 0xe6), stroke, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRect arch(centre.x() - shackleW / 2, body.top() - bodyH * 3 / 4, shackleW, bodyH);
    QPainterPath shackle;
    shackle.moveTo(arch.left(), body.top());
    shackle.lineTo(arch.left(), arch.center().y());
    shackle.arcTo(arch, 180, -180);
    shackle.lineTo(arch.right(), body.top());
    p.drawPath(shackle);

    // Body with a keyhole.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe8, 0xb9, 0x3a));
    p.drawRoundedRect(body, size / 12.0, size / 12.0);
    p.setBrush(QColor(0x2a, 0x22, 0x10));
    const int hole = qMax(3, size / 9);
    p.drawEllipse(QPoint(body.center().x(), body.center().y() - hole / 3), hole / 2, hole / 2);
    p.drawRect(body.center().x() - hole / 5, body.center().y(), qMax(2, hole * 2 / 5), hole);
    return body.bottom();
}

} // namespace

TranslucentLock::TranslucentLock(QWidget* page) : TranslucentLock(page, 153) {}

TranslucentLock::TranslucentLock(QWidget* page, int veilAlpha) : QWidget(page), m_veilAlpha(qBound(0, veilAlpha, 255))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    if (page != nullptr)
        page->installEventFilter(this);
    // Focus that reaches a control under the veil (window activation, a click elsewhere, a shortcut) is
    // taken back at once.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (isVisible() && now != nullptr && now != this && parentWidget() != nullptr &&
            parentWidget()->isAncestorOf(now))
            setFocus(Qt::OtherFocusReason);
    });
    hide();
    cover();
}

void TranslucentLock::cover()
{
    if (parentWidget() == nullptr)
        return;
    setGeometry(parentWidget()->rect());
    raise();
}

bool TranslucentLock::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget()) {
        switch (event->type()) {
        case QEvent::Resize:
            cover();
            break;
        case QEvent::ChildAdded:
            // A panel added later must not end up above the veil.
            if (isVisible())
                raise();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TranslucentLock::showEvent(QShowEvent* event)
{
    cover();
    // Keyboard focus must not stay on a control under the veil.
    QWidget* focus = window() ? window()->focusWidget() : nullptr;
    if (focus != nullptr && focus != this && parentWidget() != nullptr && parentWidget()->isAncestorOf(focus))
        setFocus(Qt::OtherFocusReason);
    QWidget::showEvent(event);
}

void TranslucentLock::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0, 0, 0, m_veilAlpha));

    const int size = qBound(UiScale::px(32), qMin(width(), height()) / 5, UiScale::px(96));
    const QPoint centre(width() / 2, height() / 2 - size / 3);
    const int bottom = paintPadlock(p, centre, size);

    QFont f = font();
    f.setPixelSize(UiScale::fontPx(14));
    p.setFont(f);
    p.setPen(QColor(0xd8, 0xde, 0xe6));
    const QRect textRect(0, bottom + UiScale::px(12), width(), UiScale::px(24));
    p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, unlockHint());
}

void TranslucentLock::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void TranslucentLock::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void TranslucentLock::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void TranslucentLock::wheelEvent(QWheelEvent* event)
{
    event->accept();
}

bool TranslucentLock::focusNextPrevChild(bool)
{
    // Tab must not walk into the controls underneath.
    return true;
}

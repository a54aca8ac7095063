#include "DelayHistogram.h"

#include "UiScale.h"

#include <QPainter>

DelayHistogram::DelayHistogram(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("histogram"));
    setMinimumHeight(UiScale::px(160));
}

QStringList DelayHistogram::barLabels()
{
    return {QStringLiteral("<0.125ms"), QStringLiteral("<0.25ms"), QStringLiteral("<0.5ms"), QStringLiteral("<1ms"),
            QStringLiteral("<2ms"),     QStringLiteral("<4ms"),    QStringLiteral(">4ms")};
}

void DelayHistogram::setStats(const DelayStats& stats)
{
    if (stats == m_stats)
        return;
    m_stats = stats;
    update();
}

QSize DelayHistogram::sizeHint() const
{
    return QSize(UiScale::px(560), UiScale::px(200));
}

void DelayHistogram::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0x25, 0x2c, 0x35));

    QFont f = font();
    f.setPixelSize(UiScale::fontPx(11));
    p.setFont(f);
    const int labelH = UiScale::px(20);
    const int valueH = UiScale::px(18);
    const int margin = UiScale::px(10);
    const QRect plot(margin, margin + valueH, width() - 2 * margin, height() - 2 * margin - labelH - valueH);
    if (plot.width() <= 0 || plot.height() <= 0)
        return;

    // Grid lines at quarters of the total.
    p.setPen(QPen(QColor(0x3a, 0x45, 0x52), 1, Qt::DashLine));
    for (int q = 0; q <= 4; ++q) {
        const int y = plot.bottom() - plot.height() * q / 4;
        p.drawLine(plot.left(), y, plot.right(), y);
    }

    const QStringList labels = barLabels();
    const int slot = plot.width() / DelayStats::kBucketCount;
    const int barW = qMax(4, slot * 3 / 5);
    for (int i = 0; i < DelayStats::kBucketCount; ++i) {
        const double share = m_stats.share(i);
        const int h = int(plot.height() * share + 0.5);
        const int x = plot.left() + slot * i + (slot - barW) / 2;
        const QRect bar(x, plot.bottom() - h + 1, barW, h);
        p.setPen(Qt::NoPen);
        p.setBrush(i == DelayStats::kBucketCount - 1 ? QColor(0xe0, 0x6c, 0x5a) : QColor(0x0a, 0x84, 0xc6));
        if (h > 0)
            p.drawRect(bar);

        p.setPen(QColor(0xd8, 0xde, 0xe6));
        const QRect valueRect(plot.left() + slot * i, bar.top() - valueH, slot, valueH);
        p.drawText(valueRect, Qt::AlignCenter, QString::number(share * 100.0, 'f', 1) + QLatin1Char('%'));
        const QRect labelRect(plot.left() + slot * i, plot.bottom() + 2, slot, labelH);
        p.drawText(labelRect, Qt::AlignCenter, labels.value(i));
    }
}

#pragma once
#include "DelayStats.h"

#include <QWidget>

/// The seven delay buckets as bars, each as high as its share of the total count.
class DelayHistogram : public QWidget
{
    Q_OBJECT
public:
    explicit DelayHistogram(QWidget* parent = nullptr);

    void setStats(const DelayStats& stats);
    const DelayStats& stats() const { return m_stats; }
    /// The bar labels, shortest bucket first.
    static QStringList barLabels();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DelayStats m_stats;
};

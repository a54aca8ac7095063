#pragma once
#include <QWidget>

/// The vertical level meter of a fader strip. Unlike a progress bar it never repaints at once: a meter reply
/// touches hundreds of strips and each would otherwise flush the window on its own.
class DspChannelLevelBar : public QWidget
{
    Q_OBJECT
public:
    DspChannelLevelBar(int floorDb, QWidget* parent = nullptr);

    /// Shows `db` (kept within floor..0); repaints later, and only when the shown height changes.
    void setLevel(int db);
    int level() const { return m_db; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int barHeight(int db) const;

    int m_floor;
    int m_db;
};

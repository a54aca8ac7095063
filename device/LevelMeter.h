#pragma once
#include <QWidget>

/// A horizontal level meter painted in one widget (-90..0 dB), cheap enough for hundreds of rows.
class LevelMeter : public QWidget
{
    Q_OBJECT
public:
    explicit LevelMeter(QWidget* parent = nullptr);

    /// The shown value in dB, -90..0.
    int value() const { return m_value; }
    /// Clamps to -90..0; repaints only when the value changes.
    void setValue(int db);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_value;
};

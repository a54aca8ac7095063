#pragma once
#include <QVector>
#include <QWidget>

class QEvent;
class QLabel;

/// The title bar above the clock view's rows; its columns line up with ClockItemForm's.
class FormClockTitle : public QWidget
{
    Q_OBJECT
public:
    explicit FormClockTitle(QWidget* parent = nullptr);

    /// The title label of a column (ClockItemForm::Column).
    QLabel* title(int column) const { return m_titles.value(column, nullptr); }
    void retranslate();

protected:
    void changeEvent(QEvent* event) override;

private:
    QVector<QLabel*> m_titles;
};

#pragma once
#include <QLabel>
#include <QTimer>
#include <QWidget>

/// A veil over its parent that tells the user to wait: a text and a count-down of seconds. When the count-down
/// runs out the veil hides itself and reports the time-out, so a lost reply never leaves the window blocked.
class LoadingForm : public QWidget
{
    Q_OBJECT
public:
    explicit LoadingForm(QWidget* parent);

    /// Sets the count-down (seconds; 0 or less means no time-out) and the text; does not show the veil.
    void setCountdown(int seconds);
    void setText(const QString& text);
    QString text() const { return m_text; }
    int remainingSeconds() const { return m_remaining; }

    /// Covers the parent, raises itself and starts the count-down.
    void start();
    /// Hides the veil and stops the count-down without reporting a time-out.
    void stop();

signals:
    /// The count-down ran out while the veil was shown.
    void signal_timeout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTick();
    void updateLabel();

    QLabel* m_label;
    QTimer m_tick;
    QString m_text;
    int m_remaining = 0;
};

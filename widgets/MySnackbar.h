#pragma once
#include <QLabel>
#include <QTimer>

#include <functional>

/// A transient notice bar at the bottom centre of its parent: shows one short text, then hides by itself.
/// A new notice replaces the one shown.
class MySnackbar : public QLabel
{
    Q_OBJECT
public:
    static constexpr int kDefaultMs = 2500;

    explicit MySnackbar(QWidget* parent);

    /// Shows `text` for `ms` milliseconds (at least 1).
    void showMessage(const QString& text, int ms = kDefaultMs);
    /// True while a notice is shown.
    bool isShowing() const { return m_hideTimer.isActive(); }

    /// Every notice of every bar is also handed to `observer` (scripted sessions read them); empty to stop.
    static void setNoticeObserver(std::function<void(const QString&)> observer);

signals:
    void signal_hidden();

private:
    void placeInParent();

    QTimer m_hideTimer;
};

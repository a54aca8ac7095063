#pragma once
#include <QObject>

/// Tells every open device window that the application's user mode changed (a factory code entered in any one
/// of them). User-interface thread only.
class UserModeNotifier : public QObject
{
    Q_OBJECT
public:
    static UserModeNotifier& instance();

    /// Emits signal_userModeChanged(mode).
    void notify(int mode);

signals:
    void signal_userModeChanged(int mode);

private:
    UserModeNotifier() = default;
};

#include "UserModeNotifier.h"

UserModeNotifier& UserModeNotifier::instance()
{
    static UserModeNotifier notifier;
    return notifier;
}

void UserModeNotifier::notify(int mode)
{
    emit signal_userModeChanged(mode);
}

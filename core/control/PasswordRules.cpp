#include "PasswordRules.h"

#include <QCoreApplication>

namespace PasswordRules {

namespace {

bool hasBlank(const QString& s)
{
    for (const QChar c : s) {
        if (c.isSpace())
            return true;
    }
    return false;
}

} // namespace

Fault checkEntry(const QString& password)
{
    if (password.isEmpty())
        return Empty;
    return hasBlank(password) ? Blank : Ok;
}

Fault checkNew(const QString& newPassword, const QString& confirmation)
{
    if (newPassword.isEmpty())
        return Empty;
    if (newPassword != confirmation)
        return Mismatch;
    return hasBlank(newPassword) ? Blank : Ok;
}

Fault checkChange(const QString& oldPassword, const QString& newPassword, const QString& confirmation)
{
    // The old password is whatever the device holds, so only its presence is checked.
    if (oldPassword.isEmpty())
        return Empty;
    return checkNew(newPassword, confirmation);
}

QString text(Fault fault)
{
    switch (fault) {
    case Empty:
        return QCoreApplication::translate("PasswordRules", "密码不能为空");
    case Mismatch:
        return QCoreApplication::translate("PasswordRules", "两次密码输入不一致");
    case Blank:
        return QCoreApplication::translate("PasswordRules", "密码中不能有空格");
    case Ok:
        break;
    }
    return QString();
}

} // namespace PasswordRules

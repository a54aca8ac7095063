#include "SaltedCode.h"

#include <QCryptographicHash>

QByteArray SaltedCode::digestOf(const QByteArray& salt, const QString& code)
{
    return QCryptographicHash::hash(salt + code.toUtf8(), QCryptographicHash::Sha256).toHex();
}

bool SaltedCode::matches(const QString& code) const
{
    return digestOf(QByteArray(salt), code) == QByteArray(digestHex);
}

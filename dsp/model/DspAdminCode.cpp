#include "DspAdminCode.h"

#include <QCryptographicHash>

namespace {

constexpr char kSalt[] = "0dd90e5ebf52408af5f0150967cf5c7b";
constexpr char kDigest[] = "453650ce93ec4b3bf3a5f218366a913a2c6ffa9839b0aecddaf7fcb9e650d0cd";

} // namespace

namespace DspAdminCode {

bool matches(const QString& code)
{
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray(kSalt) + code.toUtf8(), QCryptographicHash::Sha256).toHex();
    return digest == QByteArray(kDigest);
}

} // namespace DspAdminCode

#pragma once
#include <QString>

/// An access code kept only as a salted SHA-256 digest, so the code itself cannot be read out of the program.
struct SaltedCode
{
    const char* salt = "";
    const char* digestHex = ""; ///< lower-case hex of SHA-256(salt + code as UTF-8)

    /// True when `code` is this code (compared exactly: no trimming).
    bool matches(const QString& code) const;

    /// The digest of `code` under `salt`, for building tables (tests, the code tool of the service staff).
    static QByteArray digestOf(const QByteArray& salt, const QString& code);
};

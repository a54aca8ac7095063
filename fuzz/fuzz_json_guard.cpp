// libFuzzer target of the guard in front of Qt's JSON parser. Input: any text. Run without the suppression of
// Qt's duplicate-member leak, so a leak report means the guard accepted a text on which Qt's parser leaks.
// A text the guard accepts must read exactly as QJsonDocument reads it.
#include "UntrustedJson.h"

#include <QByteArray>
#include <QJsonDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    QJsonDocument doc;
    const dvm::JsonVerdict verdict = dvm::parseUntrustedJson(text, &doc);
    if (verdict == dvm::JsonVerdict::Refused)
        return 0; // Qt never sees it
    QJsonParseError error;
    const QJsonDocument qt = QJsonDocument::fromJson(text, &error);
    const bool qtRead = error.error == QJsonParseError::NoError && !qt.isNull();
    if ((verdict == dvm::JsonVerdict::Parsed) != qtRead || (qtRead && doc != qt)) {
        std::fprintf(stderr, "invariant violated: the guard's verdict differs from Qt's reading\n");
        std::abort();
    }
    return 0;
}

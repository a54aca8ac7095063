#include "ProgramName.h"

namespace ProgramName {

Problem check(const QString& name)
{
    if (name.isEmpty())
        return Problem::Empty;
    if (name.size() > kMaxLength)
        return Problem::TooLong;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool ok =
            (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == '-';
        if (!ok)
            return Problem::BadCharacter;
    }
    return Problem::None;
}

QString text(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::Empty:
        return QStringLiteral("程式名不能为空");
    case Problem::TooLong:
        return QStringLiteral("程式名不能超过40个字符");
    case Problem::BadCharacter:
        return QStringLiteral("只能包含数字、字符或下划线");
    }
    return {};
}

} // namespace ProgramName

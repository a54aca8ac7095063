#include "NameRules.h"

#include <QCoreApplication>

namespace {

NameRules::Verdict verdictOf(const QString& trimmed)
{
    if (trimmed.isEmpty())
        return NameRules::Empty;
    for (const QChar c : trimmed) {
        if (!NameRules::isAllowedChar(c))
            return NameRules::SpecialChar;
    }
    if (trimmed.size() > NameRules::kMaxLength)
        return NameRules::TooLong;
    return NameRules::Accepted;
}

} // namespace

bool NameRules::isAllowedChar(QChar c)
{
    if (c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('_'))
        return true;
    return c.isPrint() && c.isLetterOrNumber();
}

NameRules::Result NameRules::check(const QString& text, const QString& current)
{
    Result r;
    r.name = text.trimmed();
    if (r.name == current.trimmed() && !r.name.isEmpty()) {
        r.verdict = Unchanged;
        return r;
    }
    r.verdict = verdictOf(r.name);
    r.tip = tipFor(r.verdict);
    return r;
}

QString NameRules::liveHint(const QString& text)
{
    switch (verdictOf(text.trimmed())) {
    case Empty:
        return QCoreApplication::translate("NameRules", "提示:名字不能为空");
    case SpecialChar:
        return QCoreApplication::translate("NameRules", "提示:名字不能有特殊字符");
    case TooLong:
        return QCoreApplication::translate("NameRules", "提示:名字不能太长");
    default:
        return QString();
    }
}

QString NameRules::tipFor(Verdict verdict)
{
    switch (verdict) {
    case Empty:
        return QCoreApplication::translate("NameRules", "设置失败,名字不能为空");
    case SpecialChar:
        return QCoreApplication::translate("NameRules", "设置失败，不能包含特殊字符");
    case TooLong:
        return QCoreApplication::translate("NameRules", "设置失败，长度不能过长");
    default:
        return QString();
    }
}

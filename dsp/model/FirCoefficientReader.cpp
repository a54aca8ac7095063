#include "FirCoefficientReader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <cstring>
#include <functional>

namespace {

/// One token that must be a plain decimal number: [+-]digits[.digits][e[+-]digits], finite.
bool parseNumber(const char* begin, const char* end, double* out)
{
    const char* p = begin;
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    int digits = 0;
    while (p < end && *p >= '0' && *p <= '9')
        ++p, ++digits;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p, ++digits;
    }
    if (digits == 0)
        return false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        int expDigits = 0;
        while (p < end && *p >= '0' && *p <= '9')
            ++p, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    if (p != end)
        return false;
    bool ok = false;
    const double v = QByteArray(begin, int(end - begin)).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

/// Drops "%", "#" and "//" comments to the end of each line.
QByteArray withoutComments(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    bool inComment = false;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '\n' || c == '\r') {
            inComment = false;
            out.append(c);
            continue;
        }
        if (inComment)
            continue;
        if (c == '%' || c == '#' || (c == '/' && i + 1 < text.size() && text.at(i + 1) == '/')) {
            inComment = true;
            continue;
        }
        out.append(c);
    }
    return out;
}

enum class Outcome
{
    Numbers,
    TooMany,
    Rejected
};

/// A layout whose every token is a number: too many of them is still this layout's answer.
Outcome finish(qint64 count, int maxCount)
{
    if (count == 0)
        return Outcome::Rejected;
    return count > maxCount ? Outcome::TooMany : Outcome::Numbers;
}

/// Splits at any of `separators` (line breaks always separate) and requires every token to be a number.
Outcome tokens(const QByteArray& text, const char* separators, int maxCount, QVector<double>* out)
{
    out->clear();
    qint64 count = 0;
    const char* p = text.constData();
    const char* end = p + text.size();
    auto isSeparator = [separators](char c) {
        return c == '\n' || c == '\r' || (c != '\0' && std::strchr(separators, c) != nullptr);
    };
    while (p < end) {
        while (p < end && isSeparator(*p))
            ++p;
        const char* start = p;
        while (p < end && !isSeparator(*p))
            ++p;
        if (start == p)
            continue;
        double v = 0;
        if (!parseNumber(start, p, &v))
            return Outcome::Rejected;
        if (++count <= maxCount)
            out->append(v);
    }
    return finish(count, maxCount);
}

/// Layout 1: every non-empty line holds exactly one number (a trailing comma or semicolon allowed).
Outcome onePerLine(const QByteArray& text, int maxCount, QVector<double>* out)
{
    out->clear();
    qint64 count = 0;
    for (const QByteArray& raw : text.split('\n')) {
        QByteArray line = raw.trimmed();
        while (!line.isEmpty() && (line.endsWith(',') || line.endsWith(';')))
            line.chop(1);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        double v = 0;
        if (!parseNumber(line.constData(), line.constData() + line.size(), &v))
            return Outcome::Rejected;
        if (++count <= maxCount)
            out->append(v);
    }
    return finish(count, maxCount);
}

/// Layout 4: what follows the first "=" of "name = [...];" or "type name[n] = {...};".
Outcome assignment(const QByteArray& text, int maxCount, QVector<double>* out)
{
    const int eq = text.indexOf('=');
    if (eq <= 0 || text.left(eq).trimmed().isEmpty())
        return Outcome::Rejected;
    return tokens(text.mid(eq + 1), ",; \t()[]{}", maxCount, out);
}

} // namespace

FirCoefficientReader::Result FirCoefficientReader::read(const QByteArray& text, int maxCount)
{
    Result r;
    if (text.size() > kMaxBytes) {
        r.status = Status::TooLarge;
        return r;
    }
    const int limit = qBound(0, maxCount, kMaxCount);
    const QByteArray clean = withoutComments(text);
    // From strict to lenient; a layout made wholly of numbers decides even when they are too many.
    const std::function<Outcome(QVector<double>*)> layouts[] = {
        [&](QVector<double>* o) { return onePerLine(clean, limit, o); },
        [&](QVector<double>* o) { return tokens(clean, ",; \t", limit, o); },
        [&](QVector<double>* o) { return tokens(clean, ",; \t()[]", limit, o); },
        [&](QVector<double>* o) { return assignment(clean, limit, o); },
    };
    for (int i = 0; i < 4; ++i) {
        const Outcome o = layouts[i](&r.values);
        if (o == Outcome::Rejected)
            continue;
        r.layout = i + 1;
        r.status = o == Outcome::Numbers ? Status::Ok : Status::TooMany;
        if (r.status != Status::Ok)
            r.values.clear();
        return r;
    }
    r.values.clear();
    return r;
}

FirCoefficientReader::Result FirCoefficientReader::readFile(const QString& path, int maxCount)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Result r;
        r.status = Status::OpenFailed;
        return r;
    }
    // One byte more than allowed tells a file that is too large without reading all of it.
    return read(file.read(kMaxBytes + 1), maxCount);
}

QString FirCoefficientReader::toJsonArray(const QVector<double>& values)
{
    QJsonArray arr;
    for (double v : values)
        arr.append(QString::number(v, 'g', 10));
    return QString::fromUtf8(QJsonDocument(arr).toJson(QJsonDocument::Compact));
}

QVector<double> FirCoefficientReader::fromJsonArray(const QString& jsonArrayText)
{
    QVector<double> out;
    const QJsonArray arr = QJsonDocument::fromJson(jsonArrayText.toUtf8()).array();
    for (const QJsonValue& v : arr) {
        if (out.size() >= kMaxCount)
            break;
        bool ok = v.isDouble();
        double d = v.toDouble();
        if (v.isString())
            d = v.toString().toDouble(&ok);
        if (ok && std::isfinite(d))
            out.append(d);
    }
    return out;
}

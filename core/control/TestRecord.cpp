#include "TestRecord.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString TestRecord::fileName(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".txt");
}

QString TestRecord::line(const QDateTime& when, const QString& text)
{
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" "));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + flat.left(kMaxLineChars);
}

QString TestRecord::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Meridane3/testRecord");
}

TestRecord::TestRecord(const QString& directory) : m_directory(directory) {}

bool TestRecord::append(const QString& text, const QDateTime& when, QString* error) const
{
    if (!QDir().mkpath(m_directory)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(m_directory);
        return false;
    }
    QFile file(QDir(m_directory).filePath(fileName(when.date())));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = (line(when, text) + QLatin1Char('\n')).toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

#pragma once
#include <QJsonObject>
#include <QString>

/// The text of one device's clock event log: one compact JSON line per event, never more than `limit`
/// characters (the oldest characters go first).
class ClockEventLog
{
public:
    static constexpr int kDefaultLimit = 100000;

    explicit ClockEventLog(int limit = kDefaultLimit);

    /// The log line of a bus message, or an empty text when it is not a "clockEvent" from `deviceIp`
    /// (dotted text). "ops" and "remoteIp" are dropped; the rest is written as compact JSON.
    static QString eventLine(const QJsonObject& message, const QString& deviceIp);

    /// Appends a line (a line break goes before it unless the log is empty). Returns how many characters
    /// were cut from the front to stay within the limit, so a mirroring text widget can do the same.
    int append(const QString& line);
    void clear() { m_text.clear(); }

    const QString& text() const { return m_text; }
    int limit() const { return m_limit; }

private:
    QString m_text;
    int m_limit;
};

#pragma once
#include <QDateTime>
#include <QString>

/// The test signal tool's record: every result line goes to a text file named by its date, stamped with the time.
/// The file is appended to, never rewritten, so a failed write cannot lose the lines already kept.
class TestRecord
{
public:
    /// Lines longer than this are cut before they reach the file (a device name or reason is untrusted).
    static constexpr int kMaxLineChars = 1024;

    /// "yyyy-MM-dd.txt".
    static QString fileName(const QDate& date);
    /// "yyyy-MM-dd HH:mm:ss " + the text on one line (line breaks become blanks, cut to kMaxLineChars).
    static QString line(const QDateTime& when, const QString& text);
    /// The folder the application keeps records in: "testRecord" under the user's documents folder and
    /// "Meridane3", beside the crash dumps and the offline file.
    static QString defaultDirectory();

    explicit TestRecord(const QString& directory = defaultDirectory());

    QString directory() const { return m_directory; }
    /// Appends one stamped line to the file of `when`'s date, creating the folder when needed. False (and
    /// `error` says why) when the line could not be written.
    bool append(const QString& text, const QDateTime& when = QDateTime::currentDateTime(),
                QString* error = nullptr) const;

private:
    QString m_directory;
};

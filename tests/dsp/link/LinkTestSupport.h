#pragma once
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

namespace dsplinktest {

/// Collects the Qt message stream of every thread while alive, so tests can check what the link logged.
/// One lock guards the current capture and its lines: a link thread may still log while a test's capture
/// goes out of scope.
class LogCapture
{
public:
    LogCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("meridane.dsp.link.debug=true"));
        {
            QMutexLocker lock(&s_lock);
            s_self = this;
        }
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        QMutexLocker lock(&s_lock);
        s_self = nullptr;
    }
    QStringList lines() const
    {
        QMutexLocker lock(&s_lock);
        return m_lines;
    }
    bool contains(const QString& part) const
    {
        for (const QString& line : lines()) {
            if (line.contains(part)) {
                return true;
            }
        }
        return false;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& text)
    {
        QMutexLocker lock(&s_lock);
        if (s_self != nullptr)
            s_self->m_lines << text;
    }

    static inline QMutex s_lock;
    static inline LogCapture* s_self = nullptr;
    QtMessageHandler m_previous = nullptr;
    QStringList m_lines;
};

} // namespace dsplinktest

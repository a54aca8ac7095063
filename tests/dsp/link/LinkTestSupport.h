#pragma once
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

namespace dsplinktest {

/// Collects the Qt message stream of every thread while alive, so tests can check what the link logged.
class LogCapture
{
public:
    LogCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("meridane.dsp.link.debug=true"));
        s_self = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_self = nullptr;
    }
    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
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
        if (s_self != nullptr) {
            QMutexLocker lock(&s_self->m_mutex);
            s_self->m_lines << text;
        }
    }

    static inline LogCapture* s_self = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QStringList m_lines;
};

} // namespace dsplinktest

#include "CtlSecrets.h"

#include "PasswordRules.h"

#include <cstdio>
#include <cstdlib>
#include <termios.h>
#include <unistd.h>

namespace {

const CtlSecrets::Field kPassword{"password", "MERIDANE_PASSWORD", "password: "};
const CtlSecrets::Field kOld{"old", "MERIDANE_OLD_PASSWORD", "old password (empty when none is set): "};
const CtlSecrets::Field kNew{"new", "MERIDANE_NEW_PASSWORD", "new password: "};

/// Turns the terminal's echo off while it lives, so that a typed password is not shown.
class EchoOff
{
public:
    explicit EchoOff(int fd) : m_fd(fd)
    {
        if (::tcgetattr(fd, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        m_active = ::tcsetattr(fd, TCSANOW, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_active) {
            ::tcsetattr(m_fd, TCSANOW, &m_saved);
            std::fputc('\n', stderr);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_fd;
    termios m_saved{};
    bool m_active = false;
};

} // namespace

CtlSecrets::CtlSecrets(Environment env, LineReader reader, bool interactive)
    : m_env(std::move(env)), m_reader(std::move(reader)), m_interactive(interactive)
{
}

CtlSecrets CtlSecrets::forProcess(bool stdinTaken)
{
    const bool terminal = !stdinTaken && ::isatty(STDIN_FILENO) == 1;
    auto env = [](const char* name) {
        const char* v = std::getenv(name);
        return v ? QByteArray(v) : QByteArray();
    };
    auto reader = [stdinTaken, terminal](const QString& prompt, QString* line, QString* error) {
        if (stdinTaken) {
            *error = QStringLiteral("standard input carries the messages");
            return false;
        }
        QByteArray bytes;
        bool ok = false;
        if (terminal) {
            std::fputs(prompt.toUtf8().constData(), stderr);
            std::fflush(stderr);
            const EchoOff quiet(STDIN_FILENO);
            ok = readLine(STDIN_FILENO, &bytes, error);
        } else {
            ok = readLine(STDIN_FILENO, &bytes, error);
        }
        *line = QString::fromUtf8(bytes);
        return ok;
    };
    return CtlSecrets(env, reader, terminal);
}

QVector<CtlSecrets::Field> CtlSecrets::fieldsOf(const QString& ops)
{
    if (ops == QLatin1String("setLock"))
        return {kPassword};
    if (ops == QLatin1String("setPassword"))
        return {kOld, kNew};
    return {};
}

bool CtlSecrets::readLine(int fd, QByteArray* line, QString* error)
{
    line->clear();
    bool any = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0) {
            *error = QStringLiteral("standard input cannot be read");
            return false;
        }
        if (n == 0) {
            if (!any)
                *error = QStringLiteral("standard input ended");
            break;
        }
        any = true;
        if (c == '\n')
            break;
        if (line->size() > kMaxBytes) {
            // Drain the rest of the line so that the next read starts on the next line.
            while (::read(fd, &c, 1) == 1 && c != '\n') {
            }
            line->clear();
            *error = QStringLiteral("the line is longer than %1 bytes").arg(kMaxBytes);
            return false;
        }
        line->append(c);
    }
    if (line->endsWith('\r'))
        line->chop(1);
    if (line->size() > kMaxBytes) {
        line->clear();
        *error = QStringLiteral("the line is longer than %1 bytes").arg(kMaxBytes);
        return false;
    }
    return any;
}

bool CtlSecrets::obtain(const Field& field, QString* value, QString* error) const
{
    const QByteArray fromEnv = m_env ? m_env(field.variable) : QByteArray();
    if (!fromEnv.isNull()) {
        if (fromEnv.size() > kMaxBytes) {
            *error = QStringLiteral("%1 is longer than %2 bytes").arg(QLatin1String(field.variable)).arg(kMaxBytes);
            return false;
        }
        *value = QString::fromUtf8(fromEnv);
        return true;
    }
    QString why;
    if (!m_reader || !m_reader(QLatin1String(field.prompt), value, &why)) {
        *error = QStringLiteral("no \"%1\" in the message, %2 is not set, and none was read from standard input (%3)")
                     .arg(QLatin1String(field.key), QLatin1String(field.variable), why);
        return false;
    }
    if (m_interactive && qstrcmp(field.key, kNew.key) == 0) {
        QString again;
        if (!m_reader(QStringLiteral("confirm the password: "), &again, &why) || again != *value) {
            *error = QStringLiteral("the new password and its confirmation differ");
            return false;
        }
    }
    return true;
}

bool CtlSecrets::complete(QJsonObject* message, QString* error) const
{
    for (const Field& field : fieldsOf(message->value(QStringLiteral("ops")).toString())) {
        const QString key = QLatin1String(field.key);
        if (message->contains(key))
            continue;
        QString value;
        if (!obtain(field, &value, error))
            return false;
        // The old password is whatever the device holds, empty when none is set; the others follow the rules
        // the lock dialogs apply before anything is sent.
        if (qstrcmp(field.key, kOld.key) != 0) {
            const PasswordRules::Fault fault = PasswordRules::checkEntry(value);
            if (fault != PasswordRules::Ok) {
                *error = QStringLiteral("\"%1\": %2")
                             .arg(key, fault == PasswordRules::Empty ? QStringLiteral("the password is empty")
                                                                     : QStringLiteral("the password holds a blank"));
                return false;
            }
        }
        message->insert(key, value);
    }
    return true;
}

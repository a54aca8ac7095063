#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>
#include <functional>

/// The passwords a `send` message may leave out, so that they need not stand on a command line that every user
/// of the host can read: "password" of "setLock", "old" and "new" of "setPassword". Each one missing is taken
/// from its environment variable, else read as one line from standard input (on a terminal without echo).
class CtlSecrets
{
public:
    struct Field
    {
        const char* key;      ///< the message's field
        const char* variable; ///< the environment variable that may hold it
        const char* prompt;   ///< what a person at a terminal is asked
    };
    /// A variable's value; a null QByteArray when it is not set.
    using Environment = std::function<QByteArray(const char* name)>;
    /// One line without its end, after showing `prompt` where a person can see it. False with `error` set when
    /// there is none.
    using LineReader = std::function<bool(const QString& prompt, QString* line, QString* error)>;

    /// The longest password read (a device keeps far shorter ones); a longer line is refused, not cut.
    static constexpr int kMaxBytes = 256;

    /// `interactive`: a person types the lines, so a new password is asked twice.
    CtlSecrets(Environment env, LineReader reader, bool interactive);
    /// The process's environment and standard input; `stdinTaken` when standard input carries the messages, so
    /// that a password must come from the environment.
    static CtlSecrets forProcess(bool stdinTaken);

    /// The secret fields of command `ops`, in the order they are asked for; none for other commands.
    static QVector<Field> fieldsOf(const QString& ops);
    /// Fills in the secret fields `message` lacks. False with `error` (which never holds a secret) when one cannot
    /// be had or breaks the password rules the lock dialogs apply.
    bool complete(QJsonObject* message, QString* error) const;

    /// Reads one line of at most kMaxBytes from `fd` a byte at a time, so that nothing behind it is consumed.
    /// The line end ("\n" or "\r\n") is dropped; end of input ends the last line. False with `error` when there is
    /// no line or it is too long.
    static bool readLine(int fd, QByteArray* line, QString* error);

private:
    bool obtain(const Field& field, QString* value, QString* error) const;

    Environment m_env;
    LineReader m_reader;
    bool m_interactive;
};

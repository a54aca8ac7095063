#include "CtlOutput.h"

#include "LogRedaction.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <unistd.h>

namespace {
FILE* g_out = nullptr;
}

namespace CtlOutput {

void separateFromLogs()
{
    if (g_out)
        return;
    std::fflush(stdout);
    const int fd = ::dup(STDOUT_FILENO);
    g_out = fd >= 0 ? ::fdopen(fd, "w") : nullptr;
    if (g_out)
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
}

void write(const QByteArray& bytes)
{
    FILE* out = g_out ? g_out : stdout;
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out);
    std::fflush(out);
}

void error(const QByteArray& line)
{
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

void result(bool json, const QJsonObject& obj, const QString& text)
{
    // No result line carries a password, whatever reply or request it shows.
    if (json || !text.isEmpty())
        write((json ? QJsonDocument(LogRedaction::redacted(obj)).toJson(QJsonDocument::Compact) : text.toUtf8()) +
              '\n');
}

void progress(const QString& text, int done, int total)
{
    error("[" + QByteArray::number(done) + "/" + QByteArray::number(total) + "] " +
          LogRedaction::redacted(text.toUtf8()));
}

void fail(const QString& line)
{
    error(("meridane-ctl: " + line).toUtf8());
}

} // namespace CtlOutput

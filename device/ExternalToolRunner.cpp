#include "ExternalToolRunner.h"

#include "DeviceLog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

ExternalToolRunner::ExternalToolRunner(const QString& baseDir) : m_baseDir(baseDir) {}

QString ExternalToolRunner::toolPath() const
{
    const QString base = m_baseDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_baseDir;
    for (const QString& name : {QStringLiteral("/tools/Quill.exe"), QStringLiteral("/tools/Quill")}) {
        const QFileInfo info(base + name);
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return QString();
}

void ExternalToolRunner::setPolling(int rounds, int intervalMs)
{
    m_rounds = qMax(1, rounds);
    m_intervalMs = qMax(1, intervalMs);
}

bool ExternalToolRunner::run(const QStringList& args, QString* output) const
{
    const QString program = toolPath();
    if (program.isEmpty()) {
        if (output)
            output->clear();
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    QByteArray printed;
    for (int round = 0; round < m_rounds; ++round) {
        QEventLoop loop;
        QTimer::singleShot(m_intervalMs, &loop, &QEventLoop::quit);
        QObject::connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                         &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning)
            loop.exec();
        printed += process.readAll();
        if (process.state() == QProcess::NotRunning)
            break;
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    printed += process.readAll();
    const QString text = QString::fromLocal8Bit(printed);
    if (output)
        *output = text;
    qCDebug(lcDevice) << "type tool" << args.value(0) << "answered" << text.trimmed().left(200);
    return text.contains(QLatin1String("succ"));
}

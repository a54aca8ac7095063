#include "OfflineWorkingFile.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

QString OfflineWorkingFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Meridane3/config.dt");
}

OfflineWorkingFile::OfflineWorkingFile(OfflineData& data, const QString& path) : m_data(data), m_path(path) {}

bool OfflineWorkingFile::readAtStartup(const OfflineData::Progress& progress, QString* error)
{
    auto fail = [&](const QString& why) {
        m_data.clear();
        if (error)
            *error = why;
        return false;
    };
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "Failed to open config.dt. File may not exist. Creating a new one.";
        if (QFileInfo::exists(m_path))
            return fail(file.errorString());
        QString why;
        if (!writeWhole(m_path, QByteArray(), &why))
            return fail(why);
        m_data.clear(); // a new working file: an empty design
        return true;
    }
    if (file.size() > OfflineData::MaxDocumentBytes)
        return fail(QStringLiteral("%1 is larger than %2 bytes").arg(m_path).arg(OfflineData::MaxDocumentBytes));
    const QByteArray text = file.read(OfflineData::MaxDocumentBytes + 1);
    if (text.trimmed().isEmpty()) {
        m_data.clear(); // a new working file: an empty design
        return true;
    }
    return m_data.loadFromText(text, progress, error);
}

bool OfflineWorkingFile::save(const OfflineData::Progress& progress, QString* message)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray text = m_data.saveToText(progress);
    QString why;
    const bool ok = writeWhole(m_path, text, &why);
    if (!ok) {
        qWarning().noquote() << "saveToFile:" << m_path << why;
        if (message)
            *message = QCoreApplication::translate("OfflineWorkingFile", "无法打开文件:") + m_path;
    }
    qDebug().noquote() << "saveToFile execution time:" << timer.elapsed() << "ms";
    return ok;
}

bool OfflineWorkingFile::writeWhole(const QString& path, const QByteArray& text, QString* error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(text) != text.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

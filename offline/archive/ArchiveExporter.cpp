#include "ArchiveExporter.h"

#include "OfflineData.h"
#include "OnlineDeviceReader.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcArchiveExport, "meridane.offline.archive")

QString createFailedText(const QString& reason)
{
    return QStringLiteral("文件创建失败") + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
}

/// Whether a file can be created at `path`: tried before any request goes out, so that an export to a place
/// that cannot take the file asks no device.
bool canCreate(const QString& path, QString* error)
{
    QSaveFile probe(path);
    if (probe.open(QIODevice::WriteOnly)) {
        probe.cancelWriting();
        return true;
    }
    if (error)
        *error = createFailedText(probe.errorString());
    return false;
}

/// Requests one device's read-out is expected to take, for the progress bar's length.
int expectedRequests(const OnlineDeviceFacts& f)
{
    return 5 + 2 + (f.hasDsp ? 4 : 0);
}

} // namespace

int ArchiveExporter::getCanUseDspDevNum(const QVector<OnlineDeviceFacts>& devices)
{
    int n = 0;
    for (const OnlineDeviceFacts& f : devices)
        if (f.hasDsp)
            ++n;
    return n;
}

bool ArchiveExporter::writeFile(const QString& path, const QByteArray& text, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = createFailedText(file.errorString());
        return false;
    }
    if (file.write(text) != text.size()) {
        if (error)
            *error = createFailedText(file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = createFailedText(file.errorString());
        return false;
    }
    return true;
}

ArchiveExporter::Outcome ArchiveExporter::exportOnline(const QVector<OnlineDeviceFacts>& devices,
                                                       const ArchiveCategories& categories, const QString& path,
                                                       const QString& guiVersion, const std::atomic_bool* cancel,
                                                       const Progress& progress)
{
    Outcome out;
    QElapsedTimer clock;
    clock.start();
    int total = 2 + devices.size() * OfflineData::StepsPerDevice;
    for (const OnlineDeviceFacts& f : devices)
        total += expectedRequests(f);
    int done = 0;
    auto say = [&](const QString& text) {
        if (progress)
            progress(text, std::min(done, total), total);
    };
    auto isCancelled = [&] { return cancel && cancel->load(); };
    auto finish = [&](Outcome o) {
        o.ms = clock.elapsed();
        return o;
    };

    if (!canCreate(path, &out.error))
        return finish(out);

    say(QStringLiteral("导出在线设备开始...设备数量为%1").arg(devices.size()));
    OfflineData doc; // private: the user's open design is never touched
    doc.setGuiVersion(guiVersion);
    doc.setExportFlags(categories.exportFlags());
    OnlineDeviceReader reader(m_transport);
    QStringList ids;
    for (const OnlineDeviceFacts& f : devices) {
        if (isCancelled())
            break;
        say(f.name + QStringLiteral(" 开始解析..."));
        const OnlineDeviceReader::Result r = reader.read(
            f, cancel, [&](const QString& text) { say(text); },
            [&] {
                ++done;
                ++m_progress;
            });
        out.requests += r.requests;
        out.failedSteps += r.failedSteps;
        if (isCancelled())
            break;
        if (doc.addDevice(std::make_unique<OfflineDevice>(r.device)))
            ids << f.devId;
        else
            qCWarning(lcArchiveExport).noquote() << "not archived (empty or repeated identifier):" << f.devId;
    }
    if (isCancelled()) {
        out.cancelled = true;
        return finish(out);
    }

    say(QStringLiteral("开始写入文件..."));
    ++m_progress;
    const QByteArray text = doc.exportText(ids, [&](int step, int, const QString& name) {
        ++done;
        ++m_progress;
        say(name + OfflineData::stepText(step));
    });
    if (isCancelled()) {
        out.cancelled = true;
        return finish(out);
    }
    if (!writeFile(path, text, &out.error)) {
        say(out.error);
        return finish(out);
    }
    ++m_progress;
    done = total;
    out.ok = true;
    out.devices = ids.size();
    say(QFileInfo(path).fileName() + QStringLiteral(" 导出完成"));
    say(QStringLiteral("导出在线设备结束"));
    return finish(out);
}

ArchiveExporter::Outcome ArchiveExporter::exportOffline(const OfflineData& design, const QStringList& devIds,
                                                        const ArchiveCategories& categories, const QString& path,
                                                        const Progress& progress)
{
    Outcome out;
    QElapsedTimer clock;
    clock.start();
    if (!canCreate(path, &out.error)) {
        out.ms = clock.elapsed();
        return out;
    }
    // A copy of the chosen devices, so the flags of the export never reach the user's design.
    OfflineData doc;
    doc.setGuiVersion(design.guiVersion());
    doc.setExportFlags(categories.exportFlags());
    QStringList ids;
    for (OfflineDevice& d : design.devices()) {
        if (!devIds.contains(d.devId()))
            continue;
        const QString id = d.devId();
        if (doc.addDevice(std::make_unique<OfflineDevice>(std::move(d))))
            ids << id;
    }
    const int total = ids.size() * OfflineData::StepsPerDevice + 1;
    const QByteArray text = doc.exportText(ids, [&](int step, int, const QString& name) {
        if (progress)
            progress(name + OfflineData::stepText(step), step, total);
    });
    if (!writeFile(path, text, &out.error)) {
        if (progress)
            progress(out.error, total, total);
        out.ms = clock.elapsed();
        return out;
    }
    out.ok = true;
    out.devices = ids.size();
    if (progress)
        progress(QFileInfo(path).fileName() + QStringLiteral(" 导出完成"), total, total);
    out.ms = clock.elapsed();
    return out;
}

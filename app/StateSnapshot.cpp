#include "StateSnapshot.h"

#include "DevManager.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace {

QJsonArray toArray(const QStringList& list)
{
    return QJsonArray::fromStringList(list);
}

QString ipText(uint32_t ip)
{
    return ip == 0 ? QString() : dvm_ipToString(ip);
}

} // namespace

QJsonObject StateSnapshot::toJson(const Input& input)
{
    QJsonArray devices;
    for (const DevDetail_t& d : input.devices)
        devices.append(d.toJson());
    QJsonObject units;
    for (auto it = input.secondaryUnits.cbegin(); it != input.secondaryUnits.cend(); ++it)
        units.insert(it.key(), ipText(it.value()));

    QJsonObject o;
    o.insert(QStringLiteral("boundIp"), ipText(input.boundIp));
    o.insert(QStringLiteral("dialogVisible"), input.dialogVisible);
    o.insert(QStringLiteral("selectedIp"), input.selectedIp);
    o.insert(QStringLiteral("addresses"), toArray(input.addresses));
    o.insert(QStringLiteral("devices"), devices);
    o.insert(QStringLiteral("secondaryUnits"), units);
    return o;
}

QString StateSnapshot::fileFromEnvironment()
{
    return qEnvironmentVariable(kFileVariable);
}

bool StateSnapshot::write(const QString& path, const Input& input)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = QJsonDocument(toJson(input)).toJson(QJsonDocument::Compact);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

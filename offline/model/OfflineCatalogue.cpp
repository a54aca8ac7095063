#include "OfflineCatalogue.h"

#include "ReplyFields.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#include <algorithm>
#include <iterator>

Q_LOGGING_CATEGORY(lcOfflineCatalogue, "meridane.offline.catalogue")

namespace {

constexpr int kMaxNameLength = 128;

/// Folder names come from the files: only a plain name inside its parent folder is followed, so a catalogue
/// can never make us read elsewhere on the disk.
bool isPlainFolderName(const QString& name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20)
            return false;
    return true;
}

/// A count field: absent means 0; a present value must be a whole number within [0, kMaxChannels].
bool readCount(const QJsonObject& o, const char* key, int* out)
{
    if (!o.contains(QLatin1String(key))) {
        *out = 0;
        return true;
    }
    const int v = ReplyFields::number(o, key, -1);
    if (v < 0 || v > OfflineCatalogue::kMaxChannels)
        return false;
    *out = v;
    return true;
}

/// The list's entries that are positive numbers, as texts, at most kMaxListEntries of them.
QStringList readPositiveList(const QJsonObject& o, const char* key, double max)
{
    QStringList out;
    const QJsonArray arr = o.value(QLatin1String(key)).toArray();
    for (const QJsonValue& v : arr) {
        if (out.size() >= OfflineCatalogue::kMaxListEntries)
            break;
        const QString t = ReplyFields::text(v).trimmed();
        bool ok = false;
        const double d = t.toDouble(&ok);
        if (ok && d > 0 && d <= max)
            out.append(t);
    }
    return out;
}

QString iconOf(const QString& folder)
{
    const QString fixed = folder + QStringLiteral("/icon.png");
    if (QFileInfo(fixed).isFile())
        return fixed;
    const QStringList pngs = QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    return pngs.isEmpty() ? QString() : folder + QLatin1Char('/') + pngs.first();
}

} // namespace

QString OfflineCatalogue::defaultRoot()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/offlineConfig");
}

void OfflineCatalogue::warn(const QString& line)
{
    qCWarning(lcOfflineCatalogue).noquote() << line;
    m_warnings.append(line);
}

bool OfflineCatalogue::readJson(const QString& path, QJsonDocument* doc)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        warn(QStringLiteral("Failed to open file: ") + path);
        return false;
    }
    // Read one byte past the limit: a file whose size the system misreports is still caught.
    const QByteArray bytes = file.size() > kMaxFileBytes ? QByteArray() : file.read(kMaxFileBytes + 1);
    if (file.size() > kMaxFileBytes || bytes.size() > kMaxFileBytes) {
        warn(QStringLiteral("File too large (over %1 bytes): ").arg(kMaxFileBytes) + path);
        return false;
    }
    QJsonParseError error;
    *doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        warn(QStringLiteral("Failed to parse JSON: ") + path + QStringLiteral(" (") + error.errorString() +
             QLatin1Char(')'));
        return false;
    }
    return true;
}

bool OfflineCatalogue::load(const QString& root)
{
    m_categories.clear();
    m_warnings.clear();
    const QString typeList = root + QStringLiteral("/typeList.dt");
    QJsonDocument doc;
    if (!readJson(typeList, &doc))
        return false;
    if (!doc.isArray()) {
        warn(QStringLiteral("Failed to parse JSON: ") + typeList + QStringLiteral(" (an array was expected)"));
        return false;
    }
    for (const QJsonValue& v : doc.array()) {
        if (m_categories.size() >= kMaxCategories) {
            warn(QStringLiteral("Too many categories, only %1 are read: ").arg(kMaxCategories) + typeList);
            break;
        }
        const QJsonObject o = v.toObject();
        OfflineCategory category;
        category.dir = ReplyFields::text(o, "dir");
        category.chName = ReplyFields::text(o, "chTypeName").left(kMaxNameLength);
        category.enName = ReplyFields::text(o, "enTypeName").left(kMaxNameLength);
        const bool duplicate = std::any_of(m_categories.cbegin(), m_categories.cend(),
                                           [&](const OfflineCategory& c) { return c.dir == category.dir; });
        if (!isPlainFolderName(category.dir) || duplicate) {
            warn(QStringLiteral("Category skipped, its folder name \"%1\" is unusable or repeated: ")
                     .arg(category.dir.left(kMaxNameLength)) +
                 typeList);
            continue;
        }
        if (category.chName.isEmpty())
            category.chName = category.enName.isEmpty() ? category.dir : category.enName;
        const QString icon = root + QStringLiteral("/icon/") + category.dir + QStringLiteral(".png");
        category.iconPath = QFileInfo(icon).isFile() ? icon : QString();
        // A category whose list cannot be read is still shown (empty): the user sees it exists.
        readCategory(root, &category);
        m_categories.append(category);
    }
    return true;
}

bool OfflineCatalogue::readCategory(const QString& root, OfflineCategory* category)
{
    const QString folder = root + QLatin1Char('/') + category->dir;
    const QString devList = folder + QStringLiteral("/devList.dt");
    QJsonDocument doc;
    if (!readJson(devList, &doc))
        return false;
    if (!doc.isArray()) {
        warn(QStringLiteral("Failed to parse JSON: ") + devList + QStringLiteral(" (an array was expected)"));
        return false;
    }
    QStringList seen;
    for (const QJsonValue& v : doc.array()) {
        if (category->types.size() >= kMaxTypesPerCategory) {
            warn(QStringLiteral("Too many device types, only %1 are read: ").arg(kMaxTypesPerCategory) + devList);
            break;
        }
        OfflineDeviceType type;
        type.category = category->dir;
        type.dir = ReplyFields::text(v.toObject(), "dir");
        if (!isPlainFolderName(type.dir) || seen.contains(type.dir)) {
            warn(QStringLiteral("Device type skipped, its folder name \"%1\" is unusable or repeated: ")
                     .arg(type.dir.left(kMaxNameLength)) +
                 devList);
            continue;
        }
        seen.append(type.dir);
        if (readType(folder + QLatin1Char('/') + type.dir, &type))
            category->types.append(type);
    }
    return true;
}

bool OfflineCatalogue::readType(const QString& folder, OfflineDeviceType* type)
{
    const QString path = folder + QStringLiteral("/config.dt");
    QJsonDocument doc;
    if (!readJson(path, &doc))
        return false;
    const QJsonObject o = doc.object();
    type->devModel = ReplyFields::text(o, "devModel").trimmed();
    if (!doc.isObject() || type->devModel.isEmpty() || type->devModel.size() > kMaxNameLength) {
        warn(QStringLiteral("Device type skipped, it has no usable \"devModel\": ") + path);
        return false;
    }
    type->version = ReplyFields::text(o, "version").left(kMaxNameLength);
    type->oemModel = ReplyFields::text(o, "oemModel").left(kMaxNameLength);
    type->chBrand = ReplyFields::text(o, "chBrand").left(kMaxNameLength);
    type->enBrand = ReplyFields::text(o, "enBrand").left(kMaxNameLength);
    type->chDescribe = ReplyFields::text(o, "chDescribe");
    type->enDescribe = ReplyFields::text(o, "enDescribe");
    const struct
    {
        const char* key;
        int* field;
    } counts[] = {{"chNumRx", &type->chNumRx},       {"chNumTx", &type->chNumTx},   {"phyChNumRx", &type->phyChNumRx},
                  {"phyChNumTx", &type->phyChNumTx}, {"usbInNum", &type->usbInNum}, {"usbOutNum", &type->usbOutNum}};
    for (const auto& c : counts)
        if (!readCount(o, c.key, c.field)) {
            warn(QStringLiteral("Device type skipped, \"%1\" is not a count from 0 to %2: ")
                     .arg(QLatin1String(c.key))
                     .arg(kMaxChannels) +
                 path);
            return false;
        }
    type->sampleRateList = readPositiveList(o, "sampleRateList", 768000);
    type->packetTimeList = readPositiveList(o, "packetTimeList", 100);
    type->iconPath = iconOf(folder);
    return true;
}

QVector<OfflineDeviceType> OfflineCatalogue::allTypes() const
{
    QVector<OfflineDeviceType> out;
    for (const OfflineCategory& c : m_categories)
        out += c.types;
    return out;
}

QVector<OfflineDeviceType> OfflineCatalogue::search(const QString& text) const
{
    const QString needle = text.trimmed();
    if (needle.isEmpty())
        return allTypes();
    QVector<OfflineDeviceType> out;
    for (const OfflineCategory& c : m_categories)
        for (const OfflineDeviceType& t : c.types) {
            const QString fields[] = {t.devModel, t.oemModel, t.chBrand, t.enBrand, t.chDescribe, t.enDescribe};
            if (std::any_of(std::begin(fields), std::end(fields),
                            [&](const QString& f) { return f.contains(needle, Qt::CaseInsensitive); }))
                out.append(t);
        }
    return out;
}

const OfflineDeviceType* OfflineCatalogue::findModel(const QString& model) const
{
    for (const OfflineCategory& c : m_categories)
        for (const OfflineDeviceType& t : c.types)
            if (t.devModel == model)
                return &t;
    return nullptr;
}

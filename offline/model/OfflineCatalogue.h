#pragma once
#include "OfflineCategory.h"

#include <QString>
#include <QStringList>
#include <QVector>

class QJsonDocument;

/// The device-type catalogue that offers types to add to an offline design: "typeList.dt" names the
/// categories, each category folder's "devList.dt" its types, each type folder a "config.dt" and an icon.
/// Every file is untrusted: a file that is too large, cannot be opened or does not parse is logged and skipped,
/// and the rest still loads. Plain data once loaded; read it from one thread.
class OfflineCatalogue
{
public:
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    static constexpr int kMaxCategories = 64;
    static constexpr int kMaxTypesPerCategory = 256;
    /// Channel and USB counts above this are refused as impossible.
    static constexpr int kMaxChannels = 1024;
    /// Entries kept of a type's sample-rate and packet-time lists.
    static constexpr int kMaxListEntries = 32;

    /// "offlineConfig" in the application's folder.
    static QString defaultRoot();

    /// Reads the catalogue under `root`, replacing what was loaded. Returns false when "typeList.dt" itself
    /// is unusable (the catalogue is then empty); skipped inner files only leave warnings().
    bool load(const QString& root);

    const QVector<OfflineCategory>& categories() const { return m_categories; }
    /// Every type of every category, in catalogue order.
    QVector<OfflineDeviceType> allTypes() const;
    /// Types whose model, OEM model, brand or description (either language) contains `text`, ignoring case;
    /// every type for an empty or blank text.
    QVector<OfflineDeviceType> search(const QString& text) const;
    /// The first type of `model`, or nullptr.
    const OfflineDeviceType* findModel(const QString& model) const;
    /// What was skipped during the last load, one line per file (the same lines go to the log).
    const QStringList& warnings() const { return m_warnings; }

private:
    bool readJson(const QString& path, QJsonDocument* doc);
    void warn(const QString& line);
    bool readCategory(const QString& root, OfflineCategory* category);
    bool readType(const QString& folder, OfflineDeviceType* type);

    QVector<OfflineCategory> m_categories;
    QStringList m_warnings;
};

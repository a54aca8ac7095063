#pragma once
#include "ArchiveCategory.h"
#include "ArchiveChange.h"

#include <QHash>
#include <QStringList>
#include <QVector>

class OfflineDevice;

/// The "what will change" preview: the values of the chosen categories that differ between an archive device
/// and the online device's read-out. A category with no change sends nothing on load.
class ArchiveDiff
{
public:
    /// Changes in category order, then in channel or list order. Routes and streams of the archive name devices
    /// by their archive identifiers: `onlineIdOf` maps them to the online identifiers of the assignment (a
    /// device not in the map keeps its identifier).
    static QVector<ArchiveChange> compare(const OfflineDevice& archive, const OfflineDevice& online,
                                          const ArchiveCategories& categories,
                                          const QHash<QString, QString>& onlineIdOf = {});
    /// The same against a read-out that may be missing: without one (null) every chosen value of the archive
    /// counts as a change, which is what a load of a device that could not be read sends.
    static QVector<ArchiveChange> compare(const OfflineDevice& archive, const OfflineDevice* online,
                                          const ArchiveCategories& categories,
                                          const QHash<QString, QString>& onlineIdOf = {});
    /// The index of the configuration a device runs now: the one named "curConfig", else the one at its
    /// current id, else the first; -1 when it has none.
    static int currentConfigIndex(const OfflineDevice& device);
    /// The categories among `changes`.
    static ArchiveCategories changedCategories(const QVector<ArchiveChange>& changes);
    /// A change's value named for a person: "网络输入 3 名称" / "Net in 3 name"; `what` for a key it does not know.
    static QString label(const ArchiveChange& change, bool chinese);
    /// One line per change: "  <category>: <label>: <online> -> <archive>" ("-" for no value).
    static QStringList lines(const QVector<ArchiveChange>& changes, bool chinese);
};

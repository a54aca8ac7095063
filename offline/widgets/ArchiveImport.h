#pragma once
#include "ArchiveCategory.h"

#include <QString>
#include <QStringList>

class OfflineData;

/// The import of an archive into the offline design: the chosen archive devices are added to the design with
/// the chosen categories, every other group at the value of a new device. A devId the design already has is
/// replaced by a free one, and a stream name it already has gets a free one; routes among the imported devices
/// follow. Routes from devices that are not imported are dropped, since their sender is not in the design.
class ArchiveImport
{
public:
    /// Adds the devices and returns their devIds in the design (in archive order). Stops with `error` when the
    /// design is full; devices added before stay.
    static QStringList addToDesign(const OfflineData& archive, const QStringList& devIds,
                                   const ArchiveCategories& categories, OfflineData& design, QString* error);
};

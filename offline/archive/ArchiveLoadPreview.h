#pragma once
#include "ArchiveAssignment.h"
#include "ArchiveCategory.h"
#include "ArchiveChange.h"
#include "ArchiveLoadPlan.h"
#include "ArchiveLoader.h"
#include "OfflineDevice.h"
#include "OnlineDeviceFacts.h"

#include <QVector>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

class ArchiveTransport;

/// Before a load: each assigned online device is read out, compared with its archive device, and its steps are
/// planned. The preview shows the changes; the load runs the plans; nothing is sent to a device but reads.
class ArchiveLoadPreview
{
public:
    struct Entry
    {
        OfflineDevice archive;
        OnlineDeviceFacts facts;
        std::optional<OfflineDevice> online; ///< none when the device could not be read (everything chosen is sent)
        QVector<ArchiveChange> changes;
        ArchiveLoadPlan::Plan plan;
    };

    /// Progress: a text, the devices read and in all.
    using Progress = std::function<void(const QString& text, int done, int total)>;

    /// Reads and plans every assigned pair (unassigned archive devices are left out). `cancel` (may be null) is
    /// looked at between requests.
    static QVector<Entry> prepare(const std::vector<OfflineDevice>& archive, const QVector<OnlineDeviceFacts>& online,
                                  const QVector<ArchiveAssignment::Pair>& pairs, const ArchiveCategories& categories,
                                  ArchiveTransport& transport, const std::atomic_bool* cancel = nullptr,
                                  const Progress& progress = Progress());

    /// The loader's plans of the entries, in order.
    static QVector<ArchiveLoader::DevicePlan> plans(const QVector<Entry>& entries);
};

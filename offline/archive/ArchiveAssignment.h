#pragma once
#include "OnlineDeviceFacts.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

class OfflineDevice;

/// Which online device each archive device is loaded onto.
class ArchiveAssignment
{
public:
    struct Pair
    {
        QString offlineDevId;
        QString onlineDevId; ///< empty: not assigned
    };

    /// True when `online` can take `archive`: same model and the same four channel counts.
    static bool compatible(const OfflineDevice& archive, const OnlineDeviceFacts& online);

    /// For each archive device in order, an online device not yet taken that is compatible: the one with the
    /// same identifier first, then the first other. `log` (may be null) gets "Auto-matched device:" with the
    /// pair or "No compatible device found for:" with the archive device.
    static QVector<Pair> automatic(const std::vector<OfflineDevice>& archive, const QVector<OnlineDeviceFacts>& online,
                                   QStringList* log = nullptr);

    /// Reads "OFFLINE=ONLINE,..." (each side a devId or a name; the online side also an address) on top of
    /// `pairs`; false with `error` for an unknown device, an incompatible pair or an online device given twice.
    static bool applyText(const QString& text, const std::vector<OfflineDevice>& archive,
                          const QVector<OnlineDeviceFacts>& online, QVector<Pair>* pairs, QString* error);
};

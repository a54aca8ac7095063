#pragma once
#include "OnlineDeviceFacts.h"

#include <QString>
#include <QStringList>
#include <QVector>

/// The online devices `export --devices` names: each by devId, address or name (exactly first, then ignoring
/// case). A name several devices share, or one that names nothing, stops the command: exporting a different set
/// than asked for would be worse than exporting nothing.
class CtlArchiveDevices
{
public:
    /// Splits "A,B , C" into its non-empty, trimmed items.
    static QStringList items(const QString& list);

    /// The devices `names` name, in the order named (a device named twice is taken once). False with `error`
    /// naming the first name that is unknown or ambiguous.
    static bool select(const QVector<OnlineDeviceFacts>& online, const QStringList& names,
                       QVector<OnlineDeviceFacts>* chosen, QString* error);

    /// True when every one of `names` names exactly one of `online` (the wait for devices ends then).
    static bool allFound(const QVector<OnlineDeviceFacts>& online, const QStringList& names);
};

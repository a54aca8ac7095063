#pragma once
#include "BandwidthFigures.h"
#include "ClockItemForm.h"

#include <QHash>
#include <QString>
#include <QVector>

class ModelTable;
class OfflineData;

/// The clock view's rows of an offline design: one per design device, in design order. A design has no clock
/// to watch, so role, sync state and offset stay empty; the priority and the load its routes would put on
/// each device are the design's.
class OfflineClockRows
{
public:
    static QVector<ClockItemForm::Fields> rows(const OfflineData& design, const ModelTable& models);

    /// The receive and transmit figures of every design device by devId. A unicast stream carries at most 8
    /// channels, so more routes between one pair of devices make more streams.
    static QHash<QString, BandwidthFigures> bandwidth(const OfflineData& design);
};

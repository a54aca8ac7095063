#pragma once
#include <QString>

class CDeviceDspData;
class DevDspDialog;
class OfflineData;
class OfflineDevice;
class QWidget;

/// Opens the processor dialog on a device of the offline design and stores what its save hands back. The dialog
/// works on a copy of the device's current configuration; the design changes only through the save.
class OfflineDspOpener
{
public:
    /// The name of the configuration entry the dialog opens and saves into.
    static const QString& currentName();
    /// Index of the configuration the dialog opens: the entry named currentName(), else the first; -1 for none.
    static int currentIndex(const OfflineDevice& device);
    /// Stores `config` as the device's current entry (replaced, or appended when there is none) with the device's
    /// sample rate. False when the device is gone, has no processor or its list of configurations is full.
    static bool store(OfflineData& design, const QString& devId, const CDeviceDspData& config);
    /// A new dialog (deleted on close) on a processor device of the design, shown; nullptr when there is no such
    /// device or it has no processor. The dialog closes itself when the device leaves the design.
    static DevDspDialog* open(OfflineData& design, const QString& devId, QWidget* parent = nullptr);
};

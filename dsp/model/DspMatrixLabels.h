#pragma once
#include <QStringList>

class CDeviceDspData;

/// The names of the matrix's rows and columns. Rows: the processor's inputs (physical names, then network names,
/// then "USB-In-<n>" for the inputs beyond both that come from a computer link), then "AEC-<n>" and
/// "AutoMixer-<n>"; columns: the outputs likewise with "USB-Out-<n>". A name the device did not give falls back to
/// the configuration's channel name.
class DspMatrixLabels
{
public:
    static QStringList rows(const CDeviceDspData& data, const QStringList& phyNames, const QStringList& netNames);
    static QStringList columns(const CDeviceDspData& data, const QStringList& phyNames, const QStringList& netNames);
};

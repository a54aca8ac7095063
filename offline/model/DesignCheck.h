#pragma once
#include <QString>
#include <QVector>

class OfflineData;

/// Faults of an offline design that would stop it working on real devices: routes to devices or channels the
/// design lacks, streams sharing an address and port, more streams on a device than it can send, sample rates its
/// type does not offer.
class DesignCheck
{
public:
    /// Transmit streams one device can send when its model-table row has no "mcastTxLimit": the smallest number
    /// the family's devices offer.
    static constexpr int DefaultMcastCapacity = 8;

    struct Finding
    {
        enum Kind
        {
            MissingDevice,
            MissingChannel,
            MissingStream,
            SharedAddress,
            OverCapacity,
            UnofferedRate
        };
        Kind kind;
        QString devId; ///< the device the finding is about
        QString text;  ///< one line for a person
    };

    /// The number of streams a device of `model` can send.
    static int mcastCapacity(const QString& model);
    /// Every finding, in device order.
    static QVector<Finding> run(const OfflineData& data);
};

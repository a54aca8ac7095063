#pragma once
#include <QCoreApplication>
#include <QString>
#include <QVector>
#include <cstdint>

/// What a click on a connectable matrix cell does online, decided from facts copied in by the caller.
class RouteClickChecks
{
    Q_DECLARE_TR_FUNCTIONS(RouteClickChecks)

public:
    enum class Request
    {
        None,       ///< nothing is sent
        SetUcastRx, ///< connect from a device channel
        SetMcastRx, ///< connect from a multicast stream channel
        ClrRxCh     ///< disconnect the receive channel
    };

    struct Facts
    {
        bool chinese = false;       ///< texts in Chinese
        bool multicast = false;     ///< the row is a multicast stream
        bool routed = false;        ///< the cell holds a route (state 2)
        bool senderKnown = false;   ///< device row: sender detail found; stream row: stream in the registry
        bool receiverKnown = false; ///< receiver detail (and, for streams, its registry record) found
        int senderSampleRate = 0;   ///< device or stream sample rate
        int receiverSampleRate = 0;
        uint32_t senderIp = 0;        ///< device row: sender address; stream row: the stream's source address
        uint32_t receiverIp = 0;      ///< host order
        bool streamSlotFree = true;   ///< device row: a unicast transmit slot can carry the channel
        bool rxChannelActive = false; ///< the receive channel already has an active feeding entry
        QString existingSourceLabel;  ///< label of the current unicast source; empty for a multicast one
        // Stream rows only.
        int streamFrames = 0;     ///< samples per packet
        int receiverDelayUs = 0;  ///< the receiver's delay
        QString receiverFirmware; ///< version text
        int streamPort = 0;
        bool receiverIsVirtualCard = false;
    };

    struct Step
    {
        enum Kind
        {
            Inform, ///< show the text and stop
            Ask     ///< ask the text; No stops
        };
        Kind kind;
        QString text;
    };

    struct Plan
    {
        QVector<Step> steps;             ///< shown in order; an Inform step is always the last one
        Request request = Request::None; ///< sent when every question was answered Yes
        /// True when the plan sends something; the cell is then marked pending.
        bool sends() const { return request != Request::None; }
    };

    /// The checks in their order. A missing sender or receiver yields an empty plan that sends nothing.
    static Plan plan(const Facts& facts);

    /// True when a firmware version text sorts below the first version that takes any multicast port.
    /// Plain text comparison: it is what deployed devices are judged by.
    static bool firmwareBeforeAnyPort(const QString& version);

    /// "name:channel name"; the channel number (srcCh + 1) stands in for an empty channel name, and the devId
    /// for the name of a device missing from the registry.
    static QString sourceLabel(const QString& devId, bool deviceKnown, const QString& name, const QString& chName,
                               int srcCh);
};

#pragma once

class SimCommandHandlers;

/// The route requests a controller sends to a receiving device ("setUcastRx", "setMcastRx", "clrRxCh"),
/// refused while the device's routes are locked; the creation and removal of its multicast transmit streams
/// ("setMcastTx", "clrMcastTx"); and the delay statistics of its receive streams.
class SimRouteCommands
{
public:
    /// Registers the commands on the command port.
    static void addTo(SimCommandHandlers& handlers);
};

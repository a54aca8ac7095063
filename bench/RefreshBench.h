#pragma once
#include "Samples.h"

/// Times the main window's device handling in this process (offscreen, network thread never started, sent
/// datagrams dropped): listing `devices` registry devices one by one through slot_recv_addDev, then
/// slot_refreshUi with all of them listed, on the network page (or another).
class RefreshBench
{
public:
    struct Result
    {
        int listed = 0;                ///< devices the store holds after the adds
        double addAllMs = 0;           ///< all adds, from an empty list
        Samples addAtFullMs;           ///< one add while devices - 1 are listed (the device removed and added again)
        double firstRefreshMs = 0;     ///< the first refresh's own call (rows of a long list follow in later steps)
        double firstLongestStepMs = 0; ///< first refresh until every row is made: the longest the loop was held
        double firstTotalMs = 0;       ///< first refresh until every row is made, in all
        int firstSteps = 0;            ///< turns of the event loop that took part in it
        Samples refreshMs;             ///< later refreshes, nothing changed in between
        Samples paintMs;               ///< the event processing (layout and paint) after each of those refreshes
        Samples refreshAfterAddMs;     ///< a refresh after one device left and came back
        Samples devListMs;             ///< of a refresh, nothing changed: the device list's part alone
        Samples netStateMs;            ///< of a refresh, nothing changed: the network state page's part alone
        Samples devListFixedHeaderMs;  ///< the device list's part with its header not resizing to contents (diagnosis)
        Samples netStateQuietMs;       ///< the same with its requests not handed to the main window (no sending)
    };

    /// Needs a QApplication. Resets the registry and the device store before and after. `page` is the page shown
    /// (10 matrix, 20 clock, 30 network, 40 levels).
    static Result run(int devices, int repeats, int page = 30);
};

#pragma once

class SimCommandHandlers;

/// The processor's mixing matrix commands: paged reads (getMatrix, getMatrixBatch: kRowsPerPage inputs of one output
/// per reply, "idNext" the next start or the row count when done), crosspoint mute and gain (gain code checked and
/// stored), gain-share mode per output or for all outputs ("superMatrixUiTag"), and the four channel level reads on
/// the processor's port. Changes are written into the stored configuration's matrix node, so the next getConfig
/// shows them; every change is refused while the processor is locked.
class SimDspMatrix
{
public:
    static constexpr int kRowsPerPage = 16;

    static void addTo(SimCommandHandlers& handlers);
};

#pragma once

class SimCommandHandlers;

/// The processor's echo-canceller and automixer nodes: "setNodeData" and the automixer's live polls.
class SimDspNodes
{
public:
    static void addTo(SimCommandHandlers& handlers);
};

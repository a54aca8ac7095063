#include "SimDspNodes.h"

#include "SimCommandHandlers.h"

void SimDspNodes::addTo(SimCommandHandlers& handlers)
{
    Q_UNUSED(handlers)
}

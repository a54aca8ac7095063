#include "SimDspGroups.h"

#include "SimCommandHandlers.h"

void SimDspGroups::addTo(SimCommandHandlers& handlers)
{
    Q_UNUSED(handlers)
}

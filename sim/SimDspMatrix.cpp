#include "SimDspMatrix.h"

#include "SimCommandHandlers.h"

void SimDspMatrix::addTo(SimCommandHandlers& handlers)
{
    Q_UNUSED(handlers)
}

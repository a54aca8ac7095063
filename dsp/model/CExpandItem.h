#pragma once
#include "CDynamicsItem.h"

/// The expander block.
class CExpandItem : public CDynamicsItem
{
public:
    CExpandItem() : CDynamicsItem(KindExpand) {}

    CBaseItem* clone() const override { return new CExpandItem(*this); }
    double cpuCost() const override { return 0.75; }
};

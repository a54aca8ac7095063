#pragma once
#include "CDynamicsItem.h"

/// The compressor block.
class CCompressItem : public CDynamicsItem
{
public:
    CCompressItem() : CDynamicsItem(KindCompress) {}

    CBaseItem* clone() const override { return new CCompressItem(*this); }
    double cpuCost() const override { return 0.22; }
};

#pragma once
#include "CChainChannel.h"

/// An output channel of the processor ("output_<n>"). The diagram counts insert positions from the chain's end.
class COutputChannel : public CChainChannel
{
public:
    COutputChannel() = default;
    /// A deep copy: name, settings and chain.
    COutputChannel* clone() const;
};

#pragma once
#include "CChainChannel.h"

/// An input channel of the processor ("input_<n>").
class CInputChannel : public CChainChannel
{
public:
    CInputChannel() = default;
    /// A deep copy: name, settings and chain.
    CInputChannel* clone() const;
};

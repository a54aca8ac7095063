#include "CInputChannel.h"

CInputChannel* CInputChannel::clone() const
{
    auto* copy = new CInputChannel;
    copy->setName(name());
    copy->copyChainFrom(*this);
    return copy;
}

#include "COutputChannel.h"

COutputChannel* COutputChannel::clone() const
{
    auto* copy = new COutputChannel;
    copy->setName(name());
    copy->copyChainFrom(*this);
    return copy;
}

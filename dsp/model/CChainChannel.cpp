#include "CChainChannel.h"

#include "CBaseItem.h"

CChainChannel::~CChainChannel()
{
    clearBlocks();
}

CBaseItem* CChainChannel::block(int index) const
{
    return index >= 0 && index < m_blocks.size() ? m_blocks.at(index) : nullptr;
}

int CChainChannel::indexOfKind(int kind) const
{
    for (int i = 0; i < m_blocks.size(); ++i)
        if (m_blocks.at(i)->kind() == kind)
            return i;
    return -1;
}

void CChainChannel::insertBlock(int index, CBaseItem* block)
{
    if (!block)
        return;
    m_blocks.insert(qBound(0, index, m_blocks.size()), block);
}

void CChainChannel::removeBlock(int index)
{
    delete takeBlock(index);
}

CBaseItem* CChainChannel::takeBlock(int index)
{
    if (index < 0 || index >= m_blocks.size())
        return nullptr;
    return m_blocks.takeAt(index);
}

void CChainChannel::clearBlocks()
{
    qDeleteAll(m_blocks);
    m_blocks.clear();
}

void CChainChannel::copyChainFrom(const CChainChannel& other)
{
    if (&other == this)
        return;
    copyBaseFrom(other);
    m_core = other.m_core;
    clearBlocks();
    for (const CBaseItem* b : other.m_blocks) {
        CBaseItem* copy = b->clone();
        copy->setGroupId(b->groupId());
        copy->setCore(b->core());
        m_blocks.append(copy);
    }
}

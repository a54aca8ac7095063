#pragma once
#include "CBaseChannel.h"
#include "CBaseItem.h"

#include <QList>

/// A channel with a chain of processing blocks (inputs and outputs). The channel owns its blocks.
class CChainChannel : public CBaseChannel
{
public:
    CChainChannel() = default;
    ~CChainChannel() override;
    CChainChannel(const CChainChannel&) = delete;
    CChainChannel& operator=(const CChainChannel&) = delete;

    /// DSP core that runs the chain; -1 for none.
    int core() const { return m_core; }
    void setCore(int core) { m_core = core; }

    /// The chain, owned by the channel: whoever removes a pointer from it takes the ownership.
    QList<CBaseItem*>& blocks() { return m_blocks; }
    const QList<CBaseItem*>& blocks() const { return m_blocks; }
    /// Block `index`; nullptr when out of range.
    CBaseItem* block(int index) const;
    /// The index of the first block of `kind`, or -1.
    int indexOfKind(int kind) const;

    /// Takes ownership; the index is bounded to 0..chain length. A null block is ignored.
    void insertBlock(int index, CBaseItem* block);
    void appendBlock(CBaseItem* block) { insertBlock(m_blocks.size(), block); }
    /// Deletes the block; out-of-range indexes are ignored.
    void removeBlock(int index);
    /// Removes the block and hands it to the caller; nullptr when out of range.
    CBaseItem* takeBlock(int index);
    /// Deletes every block.
    void clearBlocks();

    /// Mute, gain, inversion, group, core and a deep copy of the chain (the copies keep group ids and cores).
    void copyChainFrom(const CChainChannel& other);

private:
    int m_core = -1;
    QList<CBaseItem*> m_blocks;
};

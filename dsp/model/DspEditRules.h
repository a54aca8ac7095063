#pragma once
#include <QString>

class CBaseItem;
class CChainChannel;
class CDeviceDspData;

/// The refusal rules of adding and pasting in the diagram. Every check returns the refusal text (translated in
/// context "DspEditRules") or an empty text when the edit is allowed. Nothing here changes the configuration.
namespace DspEditRules {

/// Targets of canAdd() beyond the block kinds of CBaseItem::Kind: the two filter flavours of CBaseItem::KindHlpf
/// and the two side channels.
enum AddTarget
{
    AddHpf = 100,
    AddLpf = 101,
    AddAecChannel = 102,
    AddAutomixerChannel = 103
};

/// Delay memory in use: the sum of "maxNum" over every delay block of every channel.
qint64 delayMemoryUsed(const CDeviceDspData& data);

/// Adding `kind` (a CBaseItem::Kind or an AddTarget; plain KindHlpf counts as a high-pass) to channel `chIndex`:
/// one EQ, one high-pass, one low-pass and one ducker per channel; one AEC per configuration (AEC channel or
/// channel AEC block); at most `automixerLimit` automixer channels; a delay of `delayMaxNum` samples only when
/// the delay memory in use plus it fits `delayBudget`. The channel index is not needed for the side channels.
QString canAdd(const CDeviceDspData& data, bool isInput, int chIndex, int kind, int automixerLimit, qint64 delayBudget,
               int delayMaxNum);
/// The same for a block already made (its kind, filter flavour and delay size are taken from it).
QString canAddBlock(const CDeviceDspData& data, bool isInput, int chIndex, const CBaseItem& block, int automixerLimit,
                    qint64 delayBudget);

/// Pasting the parameters of `copied` (taken from block `srcBlock` of channel `srcCh`) onto block `dstBlock` of
/// channel `dstCh`: not onto the block copied, only onto the same kind, and a delay only when the memory fits.
QString canPasteBlock(const CDeviceDspData& data, const CBaseItem& copied, bool srcIsInput, int srcCh, int srcBlock,
                      bool dstIsInput, int dstCh, int dstBlock, qint64 delayBudget);
/// Pasting channel `srcCh`'s parameters and chain (`copied`, or the source channel itself when null) onto channel
/// `dstCh`: not onto itself, not across directions, and its delays only when the memory fits once the target's
/// own delays are replaced.
QString canPasteChannel(const CDeviceDspData& data, bool srcIsInput, int srcCh, bool dstIsInput, int dstCh,
                        qint64 delayBudget, const CChainChannel* copied = nullptr);

/// "CPU资源不足" when the estimate is at the limit and the add is not forced.
QString cpuRefusal(int estimate, bool forceAdd);

/// Where an output channel's add button at `position` inserts: positions count from the chain's end
/// (chainLength - position, bounded to 0..chainLength).
int outputInsertIndex(int chainLength, int position);

} // namespace DspEditRules

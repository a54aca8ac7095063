#include "DspEditorFactory.h"

#include "CBaseItem.h"
#include "CChainChannel.h"
#include "CDeviceDspData.h"
#include "DspChAecForm.h"
#include "DspCompressForm.h"
#include "DspDelayBlockForm.h"
#include "DspDuckerForm.h"
#include "DspEqHlpBlockForm.h"
#include "DspExpandForm.h"
#include "DspFbeForm.h"
#include "DspFirForm.h"
#include "DspLimitForm.h"
#include "DspNoisegateForm.h"
#include "DspSignalGenForm.h"

DspBlockBaseForm* DspEditorFactory::create(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex,
                                           QWidget* parent)
{
    const CChainChannel* ch = data != nullptr ? data->channel(isInput, chIndex) : nullptr;
    const CBaseItem* b = ch != nullptr ? ch->block(blockIndex) : nullptr;
    if (b == nullptr)
        return nullptr;
    switch (b->kind()) {
    case CBaseItem::KindCompress:
        return new DspCompressForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindExpand:
        return new DspExpandForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindLimit:
        return new DspLimitForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindNoiseGate:
        return new DspNoisegateForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindDucker:
        return new DspDuckerForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindEq:
    case CBaseItem::KindHlpf:
        return new DspEqHlpBlockForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindFir:
        return new DspFirForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindDelay:
        return new DspDelayBlockForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindFbe:
        return new DspFbeForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindSignalGen:
        return new DspSignalGenForm(data, isInput, chIndex, blockIndex, parent);
    case CBaseItem::KindChAec:
        return new DspChAecForm(data, isInput, chIndex, blockIndex, parent);
    default:
        return nullptr;
    }
}

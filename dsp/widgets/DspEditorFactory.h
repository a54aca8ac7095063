#pragma once

class CDeviceDspData;
class DspBlockBaseForm;
class QWidget;

/// Picks the editor of a block by its kind.
class DspEditorFactory
{
public:
    /// The editor of block `blockIndex` of the channel for its kind (the equaliser editor also for the filters).
    /// nullptr when the channel has no such block.
    static DspBlockBaseForm* create(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex,
                                    QWidget* parent = nullptr);
};

#pragma once

class CDeviceDspData;
class DspBlockBaseForm;
class QWidget;

/// Picks the editor of a block by its kind.
class DspEditorFactory
{
public:
    /// The editor of block `blockIndex` of the channel: the dynamics editors, the equaliser-and-filters editor,
    /// or the common editor without controls for kinds that have none of their own yet. nullptr when the
    /// channel has no such block.
    static DspBlockBaseForm* create(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex,
                                    QWidget* parent = nullptr);
};

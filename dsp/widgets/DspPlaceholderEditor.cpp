#include "DspPlaceholderEditor.h"

#include <QLabel>

DspPlaceholderEditor::DspPlaceholderEditor(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex,
                                           QWidget* parent)
    : DspBlockBaseForm(data, isInput, chIndex, blockIndex, parent)
{
    setObjectName(QStringLiteral("DspPlaceholderEditor"));
    auto* notice = new QLabel(tr("编辑器即将推出"), this);
    notice->setObjectName(QStringLiteral("lb_placeholder"));
    notice->setAlignment(Qt::AlignCenter);
    setBody(notice);
}

#pragma once
#include "DspBlockBaseForm.h"

class CChAecItem;
class QComboBox;

/// The editor of a channel's echo-canceller block: AEC, AGC and ANS with their levels and the far reference, any
/// DSP input or output.
class DspChAecForm : public DspBlockBaseForm
{
    Q_OBJECT
public:
    DspChAecForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;

private:
    CChAecItem* item() const;
    QComboBox* addBox(const QString& name, const QStringList& texts);
    void onEdited(QComboBox* box);

    QComboBox* m_aec = nullptr;
    QComboBox* m_agc = nullptr;
    QComboBox* m_ans = nullptr;
    QComboBox* m_far = nullptr;
    QWidget* m_body = nullptr;
};

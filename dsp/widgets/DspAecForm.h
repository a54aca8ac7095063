#pragma once
#include "DspNodeForm.h"

#include <QList>

#include <memory>

class DspAecChannel;
class QCheckBox;
class QComboBox;

/// The editor of one echo-cancelled channel: which DSP inputs are its near end and its far reference, and its
/// AEC, AGC and ANS switches with their levels.
class DspAecForm : public DspNodeForm
{
    Q_OBJECT
public:
    /// Levels the AEC and ANS boxes offer (a higher level read from the device is offered too).
    static constexpr int kLevels = 3;

    DspAecForm(CDeviceDspData* data, int index, QWidget* parent = nullptr);
    ~DspAecForm() override;

    QString blockFlag() const override;
    void refreshFromModel() override;
    /// The label of DSP input `input`: "USB-In-<k>" for the computer-link inputs, "In-<n>" otherwise.
    static QString inputLabel(const CDeviceDspData& data, int input);

protected:
    QJsonObject request() const override;
    void remember() override;
    void restore() override;

private:
    DspAecChannel* record() const;
    QWidget* buildInputs(bool nearEnd);
    QComboBox* levelBox(const QString& name, int levels);
    void setLevelBox(QComboBox* box, bool on, int level);
    void onInput(bool nearEnd, int input, bool checked);
    void onFunction(QComboBox* box);

    std::unique_ptr<DspAecChannel> m_accepted;
    QList<QCheckBox*> m_near;
    QList<QCheckBox*> m_far;
    QComboBox* m_aec = nullptr;
    QComboBox* m_agc = nullptr;
    QComboBox* m_ans = nullptr;
};

#pragma once
#include "AutomixerMask.h"
#include "DspNodeForm.h"

#include <QList>
#include <QStringList>
#include <QVector>

#include <memory>

class DspAutomixChForm;
class DspAutomixerChannel;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;

/// The editor of one automixer: its shared parameters, one strip per member channel and the member choice. Every
/// change sends the automixer's whole object; on the volume tick it polls which members are open and their levels.
class DspAutomixForm : public DspNodeForm
{
    Q_OBJECT
public:
    DspAutomixForm(CDeviceDspData* data, int index, QWidget* parent = nullptr);
    ~DspAutomixForm() override;

    QString blockFlag() const override;
    void refreshFromModel() override;
    void getVolumeTimeout() override;
    /// Names of the DSP inputs for the member strips and the member choice (default "In-<n>"/"USB-In-<k>").
    void setInputNames(const QStringList& names);
    QString inputName(int input) const;
    /// The most members this automixer may have: the DSP inputs, at most 64.
    int memberLimit() const;
    /// Makes channels `chIds` the members: kept members keep their settings, new ones start at the defaults.
    /// Refused beyond memberLimit() with "最多选择" and the limit.
    bool setMembers(const QVector<int>& chIds);
    /// Opens the member choice ("SetChannels") and applies it when conformed.
    void openMemberDialog();
    QList<DspAutomixChForm*> memberStrips() const { return m_strips; }

protected:
    QJsonObject request() const override;
    void remember() override;
    void restore() override;
    void handleReply(const QString& ops, const QJsonObject& reply) override;

private:
    struct Param
    {
        const char* label;
        const char* name;
        double min;
        double max;
        int decimals;
        std::function<double(const DspAutomixerChannel&)> get;
        std::function<void(DspAutomixerChannel&, double)> set;
    };
    static const QList<Param>& params();

    DspAutomixerChannel* record() const;
    QWidget* buildShared();
    void rebuildStrips();
    void onParam(int param, double value);
    void onFlag(bool nomAttenuate, bool on);
    void onMode();
    void onMember(int member, const AutomixerMask& mask);

    std::unique_ptr<DspAutomixerChannel> m_accepted;
    QStringList m_inputNames;
    QList<QDoubleSpinBox*> m_params;
    QCheckBox* m_nomAttenuate = nullptr;
    QCheckBox* m_leaveLastOn = nullptr;
    QComboBox* m_mode = nullptr;
    QHBoxLayout* m_stripRow = nullptr;
    QList<DspAutomixChForm*> m_strips;
};

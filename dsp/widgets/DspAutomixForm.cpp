#include "DspAutomixForm.h"

#include "CDeviceDspData.h"
#include "DspAecForm.h"
#include "DspAutomixChForm.h"
#include "DspAutomixMemberDialog.h"
#include "DspEnvelope.h"
#include "DspNodeRequests.h"
#include "ReplyFields.h"
#include "UiScale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr double kSame = 1e-6;
constexpr int kParamColumns = 4;

using Ch = DspAutomixerChannel;

} // namespace

const QList<DspAutomixForm::Param>& DspAutomixForm::params()
{
    static const QList<Param> list = {
        {"Slope:", "sb_slope", 0, 10, 2, [](const Ch& c) { return c.slope(); }, [](Ch& c, double v) { c.setSlope(v); }},
        {"DuckAttackMs:", "sb_duckAttackMs", 0, 10000, 0, [](const Ch& c) { return double(c.duckAttackMs()); },
         [](Ch& c, double v) { c.setDuckAttackMs(int(std::lround(v))); }},
        {"DuckReleaseMs:", "sb_duckReleaseMs", 0, 60000, 0, [](const Ch& c) { return double(c.duckReleaseMs()); },
         [](Ch& c, double v) { c.setDuckReleaseMs(int(std::lround(v))); }},
        {"DuckDb:", "sb_duckDb", -100, 0, 1, [](const Ch& c) { return c.duckDb(); },
         [](Ch& c, double v) { c.setDuckDb(v); }},
        {"HoldMs:", "sb_holdMs", 0, 60000, 0, [](const Ch& c) { return double(c.holdMs()); },
         [](Ch& c, double v) { c.setHoldMs(int(std::lround(v))); }},
        {"ReleaseMs:", "sb_releaseMs", 0, 60000, 0, [](const Ch& c) { return double(c.releaseMs()); },
         [](Ch& c, double v) { c.setReleaseMs(int(std::lround(v))); }},
        {"DecayDb:", "sb_decayDb", -100, 0, 1, [](const Ch& c) { return c.decayDb(); },
         [](Ch& c, double v) { c.setDecayDb(v); }},
        {"TrigDb:", "sb_trigDb", -100, 0, 1, [](const Ch& c) { return c.trigDb(); },
         [](Ch& c, double v) { c.setTrigDb(v); }},
        {"AttackMs:", "sb_attackMs", 0, 10000, 0, [](const Ch& c) { return double(c.attackMs()); },
         [](Ch& c, double v) { c.setAttackMs(int(std::lround(v))); }},
        {"ChNumLimit:", "sb_chNumLimit", 1, DspAutomixMemberDialog::kMaxMembers, 0,
         [](const Ch& c) { return double(c.chNumLimit()); },
         [](Ch& c, double v) { c.setChNumLimit(int(std::lround(v))); }},
    };
    return list;
}

DspAutomixForm::DspAutomixForm(CDeviceDspData* data, int index, QWidget* parent) : DspNodeForm(data, index, parent)
{
    setObjectName(QStringLiteral("DspAutomixForm"));
    setWindowTitle(QStringLiteral("AutoMixer %1").arg(index + 1));
    setStyleSheet(QStringLiteral(
        "DspAutomixForm{background:#1e2229;} QLabel,QCheckBox{color:#d7dbe2;}"
        "QComboBox,QDoubleSpinBox{background:#2a2f38;color:#d7dbe2;border:1px solid #3a404b;padding:2px 4px;}"
        "QPushButton{background:#2f3540;color:#d7dbe2;border:1px solid #465061;padding:4px 12px;}"));
    if (const Ch* r = record())
        m_accepted.reset(r->clone());

    auto* members = new QWidget;
    members->setObjectName(QStringLiteral("automixMembers"));
    members->setStyleSheet(QStringLiteral("QWidget#automixMembers{background:#1e2229;}"));
    m_stripRow = new QHBoxLayout(members);
    m_stripRow->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(members);
    scroll->setMinimumHeight(qMax(UiScale::px(540), 540));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildShared());
    layout->addWidget(scroll, 1);
    resize(qMax(UiScale::px(960), 960), qMax(UiScale::px(780), 780));
    rebuildStrips();
    refreshFromModel();
}

DspAutomixForm::~DspAutomixForm() = default;

QString DspAutomixForm::blockFlag() const
{
    return DspNodeRequests::automixerFlag(index());
}

DspAutomixerChannel* DspAutomixForm::record() const
{
    if (data() == nullptr || index() < 0 || index() >= data()->automixerChannelCount())
        return nullptr;
    return data()->automixerChannels().at(index());
}

QWidget* DspAutomixForm::buildShared()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    const QList<Param>& list = params();
    for (int i = 0; i < list.size(); ++i) {
        const Param& p = list.at(i);
        auto* spin = new QDoubleSpinBox(box);
        spin->setObjectName(QLatin1String(p.name));
        spin->setRange(p.min, p.max);
        spin->setDecimals(p.decimals);
        spin->setSingleStep(p.decimals > 0 ? std::pow(10.0, -p.decimals + 1) : 1);
        spin->setKeyboardTracking(false);
        spin->setMinimumWidth(qMax(UiScale::px(90), 90));
        connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
                [this, i](double v) { onParam(i, v); });
        grid->addWidget(new QLabel(QLatin1String(p.label), box), i / kParamColumns, 2 * (i % kParamColumns));
        grid->addWidget(spin, i / kParamColumns, 2 * (i % kParamColumns) + 1);
        m_params << spin;
    }
    int row = (list.size() + kParamColumns - 1) / kParamColumns;
    m_nomAttenuate = new QCheckBox(box);
    m_nomAttenuate->setObjectName(QStringLiteral("cb_nomAttenuate"));
    m_leaveLastOn = new QCheckBox(box);
    m_leaveLastOn->setObjectName(QStringLiteral("cb_leaveLastOn"));
    connect(m_nomAttenuate, &QCheckBox::clicked, this, [this](bool on) { onFlag(true, on); });
    connect(m_leaveLastOn, &QCheckBox::clicked, this, [this](bool on) { onFlag(false, on); });
    m_mode = new QComboBox(box);
    m_mode->setObjectName(QStringLiteral("cb_mode"));
    m_mode->addItem(QStringLiteral("Share"), 0);
    m_mode->addItem(QStringLiteral("Gate"), 1);
    m_mode->setMinimumWidth(qMax(UiScale::px(90), 90));
    connect(m_mode, QOverload<int>::of(&QComboBox::activated), this, &DspAutomixForm::onMode);
    grid->addWidget(new QLabel(QStringLiteral("NomAttenuate:"), box), row, 0);
    grid->addWidget(m_nomAttenuate, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("LeaveLastOn:"), box), row, 2);
    grid->addWidget(m_leaveLastOn, row, 3);
    grid->addWidget(new QLabel(QStringLiteral("Mode:"), box), row, 4);
    grid->addWidget(m_mode, row, 5);
    auto* choose = new QPushButton(QStringLiteral("SetChannels"), box);
    choose->setObjectName(QStringLiteral("pb_setChannels"));
    connect(choose, &QPushButton::clicked, this, &DspAutomixForm::openMemberDialog);
    grid->addWidget(choose, row, 7);
    return box;
}

void DspAutomixForm::setInputNames(const QStringList& names)
{
    m_inputNames = names;
    refreshFromModel();
}

QString DspAutomixForm::inputName(int input) const
{
    if (input >= 0 && input < m_inputNames.size() && !m_inputNames.at(input).isEmpty())
        return m_inputNames.at(input);
    return data() != nullptr ? DspAecForm::inputLabel(*data(), input) : QString::number(input + 1);
}

int DspAutomixForm::memberLimit() const
{
    return data() != nullptr ? qBound(0, data()->dspInputCount(), int(DspAutomixMemberDialog::kMaxMembers)) : 0;
}

void DspAutomixForm::rebuildStrips()
{
    const Ch* r = record();
    const int members = r != nullptr ? r->maskArr().size() : 0;
    while (m_strips.size() > members)
        delete m_strips.takeLast();
    while (m_strips.size() < members) {
        auto* s = new DspAutomixChForm(m_strips.size(), this);
        connect(s, &DspAutomixChForm::signal_changed, this, &DspAutomixForm::onMember);
        m_stripRow->insertWidget(m_strips.size(), s);
        m_strips << s;
    }
}

void DspAutomixForm::refreshFromModel()
{
    const Ch* r = record();
    setEnabled(r != nullptr);
    if (r == nullptr)
        return;
    for (int i = 0; i < m_params.size(); ++i) {
        const QSignalBlocker b(m_params.at(i));
        m_params.at(i)->setValue(params().at(i).get(*r));
    }
    for (auto* cb : {m_nomAttenuate, m_leaveLastOn}) {
        const QSignalBlocker b(cb);
        cb->setChecked(cb == m_nomAttenuate ? r->nomAttenuate() : r->leaveLastOn());
    }
    const QSignalBlocker b(m_mode);
    int at = m_mode->findData(r->mode());
    if (at < 0) {
        m_mode->addItem(QStringLiteral("Mode %1").arg(r->mode()), r->mode());
        at = m_mode->count() - 1;
    }
    m_mode->setCurrentIndex(at);
    rebuildStrips();
    for (int k = 0; k < m_strips.size(); ++k) {
        const AutomixerMask m = AutomixerMask::decompose(r->maskArr().at(k));
        m_strips.at(k)->setMember(inputName(m.chId), m);
    }
}

void DspAutomixForm::onParam(int param, double value)
{
    Ch* r = record();
    if (r == nullptr || param < 0 || param >= params().size())
        return;
    if (std::fabs(params().at(param).get(*r) - value) < kSame || refuseWhenLocked())
        return;
    params().at(param).set(*r, value);
    commit();
}

void DspAutomixForm::onFlag(bool nomAttenuate, bool on)
{
    Ch* r = record();
    if (r == nullptr || (nomAttenuate ? r->nomAttenuate() : r->leaveLastOn()) == on || refuseWhenLocked())
        return;
    if (nomAttenuate)
        r->setNomAttenuate(on);
    else
        r->setLeaveLastOn(on);
    commit();
}

void DspAutomixForm::onMode()
{
    Ch* r = record();
    const int mode = m_mode->currentData().toInt();
    if (r == nullptr || mode == r->mode() || refuseWhenLocked())
        return;
    r->setMode(mode);
    commit();
}

void DspAutomixForm::onMember(int member, const AutomixerMask& mask)
{
    Ch* r = record();
    if (r == nullptr || member < 0 || member >= r->maskArr().size())
        return;
    if (refuseWhenLocked())
        return;
    const quint64 next = mask.compose();
    if (next == r->maskArr().at(member))
        return;
    r->maskArr()[member] = next;
    m_strips.at(member)->setMember(inputName(mask.chId), AutomixerMask::decompose(next));
    commit();
}

bool DspAutomixForm::setMembers(const QVector<int>& chIds)
{
    Ch* r = record();
    if (r == nullptr || refuseWhenLocked())
        return false;
    if (chIds.size() > memberLimit()) {
        emit signal_showTips(tr("最多选择%1").arg(memberLimit()), false);
        return false;
    }
    QVector<quint64> masks;
    for (int ch : chIds) {
        if (ch < 0 || ch > AutomixerMask::kMaxChId)
            continue;
        quint64 mask = AutomixerMask::forChannel(ch).compose();
        for (quint64 old : qAsConst(r->maskArr()))
            if (AutomixerMask::decompose(old).chId == ch)
                mask = old;
        masks << mask;
    }
    if (masks == r->maskArr())
        return false;
    r->maskArr() = masks;
    refreshFromModel();
    commit();
    return true;
}

void DspAutomixForm::openMemberDialog()
{
    const Ch* r = record();
    if (r == nullptr)
        return;
    QStringList names;
    for (int k = 0; k < memberLimit(); ++k)
        names << inputName(k);
    QVector<int> current;
    for (quint64 m : r->maskArr())
        current << AutomixerMask::decompose(m).chId;
    DspAutomixMemberDialog dialog(names, current, memberLimit(), this);
    connect(&dialog, &DspAutomixMemberDialog::signal_showTips, this, &DspNodeForm::signal_showTips);
    if (dialog.exec() == QDialog::Accepted)
        setMembers(dialog.selected());
}

void DspAutomixForm::getVolumeTimeout()
{
    if (isOffline() || record() == nullptr)
        return;
    emit signal_sendMsg(DspEnvelope::udp(DspNodeRequests::activePoll(index())));
    emit signal_sendMsg(DspEnvelope::udp(DspNodeRequests::levelPoll(index())));
}

void DspAutomixForm::handleReply(const QString& ops, const QJsonObject& reply)
{
    const bool active = ops == QLatin1String("getAutomixActive");
    if ((!active && ops != QLatin1String("getAutomixVolumeDbPost")) ||
        ReplyFields::text(reply, "result") != QLatin1String("succ"))
        return;
    const QJsonArray arr = reply.value(QStringLiteral("arr")).toArray();
    for (int k = 0; k < arr.size() && k < m_strips.size(); ++k) {
        const QString v = arr.at(k).toString();
        if (active)
            m_strips.at(k)->setOpen(v == QLatin1String("1"));
        else
            m_strips.at(k)->setLevel(v);
    }
}

QJsonObject DspAutomixForm::request() const
{
    return data() != nullptr ? DspNodeRequests::automixer(*data(), index()) : QJsonObject();
}

void DspAutomixForm::remember()
{
    if (const Ch* r = record())
        m_accepted.reset(r->clone());
}

void DspAutomixForm::restore()
{
    Ch* r = record();
    if (r != nullptr && m_accepted)
        r->readObj(m_accepted->objJson(), false);
}

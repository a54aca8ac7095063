#include "DspAecForm.h"

#include "CDeviceDspData.h"
#include "DspNodeRequests.h"
#include "UiScale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int kPerRow = 8;

} // namespace

DspAecForm::DspAecForm(CDeviceDspData* data, int index, QWidget* parent) : DspNodeForm(data, index, parent)
{
    setObjectName(QStringLiteral("DspAecForm"));
    setWindowTitle(QStringLiteral("AEC %1").arg(index + 1));
    setStyleSheet(
        QStringLiteral("DspAecForm{background:#1e2229;} QLabel,QCheckBox{color:#d7dbe2;}"
                       "QGroupBox{color:#d7dbe2;border:1px solid #3a404b;margin-top:14px;padding:6px;}"
                       "QGroupBox::title{subcontrol-origin:margin;left:8px;}"
                       "QComboBox{background:#2a2f38;color:#d7dbe2;border:1px solid #3a404b;padding:2px 6px;}"));
    if (DspAecChannel* r = record())
        m_accepted.reset(r->clone());

    auto* functions = new QHBoxLayout;
    m_aec = levelBox(QStringLiteral("cb_aec"), kLevels);
    m_agc = levelBox(QStringLiteral("cb_agc"), 0);
    m_ans = levelBox(QStringLiteral("cb_ans"), kLevels);
    for (const auto& f : {qMakePair(QStringLiteral("AEC:"), m_aec), qMakePair(QStringLiteral("AGC:"), m_agc),
                          qMakePair(QStringLiteral("ANS:"), m_ans)}) {
        functions->addWidget(new QLabel(f.first, this));
        functions->addWidget(f.second);
        functions->addSpacing(UiScale::px(16));
        connect(f.second, QOverload<int>::of(&QComboBox::activated), this, [this, box = f.second] { onFunction(box); });
    }
    functions->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(functions);
    layout->addWidget(buildInputs(true));
    layout->addWidget(buildInputs(false));
    layout->addStretch();
    refreshFromModel();
}

DspAecForm::~DspAecForm() = default;

QString DspAecForm::blockFlag() const
{
    return DspNodeRequests::aecFlag(index());
}

DspAecChannel* DspAecForm::record() const
{
    if (data() == nullptr || index() < 0 || index() >= data()->aecChannelCount())
        return nullptr;
    return data()->aecChannels().at(index());
}

QString DspAecForm::inputLabel(const CDeviceDspData& data, int input)
{
    const int usbStart = data.dspInputCount() - qMax(0, data.extraInCount());
    if (input >= usbStart)
        return QStringLiteral("USB-In-%1").arg(input - usbStart + 1);
    return QStringLiteral("In-%1").arg(input + 1);
}

QWidget* DspAecForm::buildInputs(bool nearEnd)
{
    auto* box = new QGroupBox(nearEnd ? QStringLiteral("Near") : QStringLiteral("Far"), this);
    box->setObjectName(nearEnd ? QStringLiteral("gb_near") : QStringLiteral("gb_far"));
    auto* grid = new QGridLayout(box);
    const DspAecChannel* r = record();
    const int inputs = r != nullptr ? r->nearArr().size() : 0;
    QList<QCheckBox*>& list = nearEnd ? m_near : m_far;
    for (int k = 0; k < inputs; ++k) {
        auto* cb = new QCheckBox(inputLabel(*data(), k), box);
        cb->setObjectName(QStringLiteral("aec_%1_ch_%2").arg(nearEnd ? "near" : "far").arg(k));
        cb->setMinimumWidth(qMax(UiScale::px(96), 96));
        connect(cb, &QCheckBox::clicked, this, [this, nearEnd, k](bool on) { onInput(nearEnd, k, on); });
        grid->addWidget(cb, k / kPerRow, k % kPerRow);
        list << cb;
    }
    return box;
}

QComboBox* DspAecForm::levelBox(const QString& name, int levels)
{
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->addItem(QStringLiteral("OFF"), 0);
    if (levels == 0)
        box->addItem(QStringLiteral("ON"), 1);
    for (int l = 1; l <= levels; ++l)
        box->addItem(QStringLiteral("Level %1").arg(l), l);
    box->setMinimumWidth(qMax(UiScale::px(100), 100));
    return box;
}

void DspAecForm::setLevelBox(QComboBox* box, bool on, int level)
{
    const QSignalBlocker blocker(box);
    if (!on) {
        box->setCurrentIndex(0);
        return;
    }
    int at = box->findData(level);
    if (at <= 0) {
        // A level the device has beyond those offered stays visible instead of being silently changed.
        box->addItem(QStringLiteral("Level %1").arg(level), level);
        at = box->count() - 1;
    }
    box->setCurrentIndex(at);
}

void DspAecForm::refreshFromModel()
{
    const DspAecChannel* r = record();
    setEnabled(r != nullptr);
    if (r == nullptr)
        return;
    for (int k = 0; k < m_near.size() && k < r->nearArr().size(); ++k) {
        const QSignalBlocker b1(m_near.at(k));
        const QSignalBlocker b2(m_far.at(k));
        m_near.at(k)->setChecked(r->nearArr().at(k) != 0);
        m_far.at(k)->setChecked(r->farArr().at(k) != 0);
    }
    setLevelBox(m_aec, r->hasAec(), r->aecLevel());
    setLevelBox(m_agc, r->hasAgc(), 1);
    setLevelBox(m_ans, r->hasAns(), r->ansLevel());
}

void DspAecForm::onInput(bool nearEnd, int input, bool checked)
{
    DspAecChannel* r = record();
    if (r == nullptr || refuseWhenLocked())
        return;
    QVector<int>& list = nearEnd ? r->nearArr() : r->farArr();
    if (input >= list.size() || (list.at(input) != 0) == checked)
        return;
    list[input] = checked ? 1 : 0;
    commit();
}

void DspAecForm::onFunction(QComboBox* box)
{
    DspAecChannel* r = record();
    if (r == nullptr || refuseWhenLocked())
        return;
    const int level = box->currentData().toInt();
    const bool on = level > 0;
    const bool wasOn = box == m_aec ? r->hasAec() : box == m_agc ? r->hasAgc() : r->hasAns();
    if (refuseEnabling(wasOn, on))
        return;
    if (box == m_aec) {
        if (on == r->hasAec() && (!on || level == r->aecLevel()))
            return;
        r->setHasAec(on);
        if (on)
            r->setAecLevel(level);
    } else if (box == m_agc) {
        if (on == r->hasAgc())
            return;
        r->setHasAgc(on);
    } else {
        if (on == r->hasAns() && (!on || level == r->ansLevel()))
            return;
        r->setHasAns(on);
        if (on)
            r->setAnsLevel(level);
    }
    commit();
}

QJsonObject DspAecForm::request() const
{
    return data() != nullptr ? DspNodeRequests::aec(*data(), index()) : QJsonObject();
}

void DspAecForm::remember()
{
    if (const DspAecChannel* r = record())
        m_accepted.reset(r->clone());
}

void DspAecForm::restore()
{
    DspAecChannel* r = record();
    if (r == nullptr || !m_accepted)
        return;
    r->setHasAec(m_accepted->hasAec());
    r->setAecLevel(m_accepted->aecLevel());
    r->setHasAgc(m_accepted->hasAgc());
    r->setHasAns(m_accepted->hasAns());
    r->setAnsLevel(m_accepted->ansLevel());
    r->nearArr() = m_accepted->nearArr();
    r->farArr() = m_accepted->farArr();
}

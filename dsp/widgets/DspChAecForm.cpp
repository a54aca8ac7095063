#include "DspChAecForm.h"

#include "CChAecItem.h"
#include "CDeviceDspData.h"
#include "DspAecForm.h"
#include "UiScale.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace {

QStringList levelTexts()
{
    QStringList t{QStringLiteral("OFF")};
    for (int l = 1; l <= DspAecForm::kLevels; ++l)
        t << QStringLiteral("Level %1").arg(l);
    return t;
}

/// Shows `value` (its item's data), adding an item for a value the box does not offer yet.
void showValue(QComboBox* box, int value, const QString& text)
{
    const QSignalBlocker blocker(box);
    int at = box->findData(value);
    if (at < 0) {
        box->addItem(text, value);
        at = box->count() - 1;
    }
    box->setCurrentIndex(at);
}

} // namespace

DspChAecForm::DspChAecForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspBlockBaseForm(data, isInput, chIndex, blockIndex, parent)
{
    setObjectName(QStringLiteral("DspChAecForm"));
    m_body = new QWidget(this);
    m_body->setStyleSheet(
        QStringLiteral("QComboBox{background:#2a2f38;color:#d7dbe2;border:1px solid #3a404b;padding:2px 6px;}"));
    auto* grid = new QGridLayout(m_body);
    m_aec = addBox(QStringLiteral("cb_aec"), levelTexts());
    m_agc = addBox(QStringLiteral("cb_agc"), {QStringLiteral("OFF"), QStringLiteral("ON")});
    m_ans = addBox(QStringLiteral("cb_ans"), levelTexts());
    QStringList far;
    if (data != nullptr) {
        for (int k = 0; k < data->dspInputCount(); ++k)
            far << DspAecForm::inputLabel(*data, k);
        for (int k = 0; k < data->dspOutputCount(); ++k)
            far << QStringLiteral("Out-%1").arg(k + 1);
    }
    m_far = addBox(QStringLiteral("cb_farCh"), far);
    const QList<QPair<QString, QComboBox*>> rows = {{QStringLiteral("AEC:"), m_aec},
                                                    {QStringLiteral("AGC:"), m_agc},
                                                    {QStringLiteral("ANS:"), m_ans},
                                                    {QStringLiteral("Far:"), m_far}};
    for (int r = 0; r < rows.size(); ++r) {
        grid->addWidget(new QLabel(rows.at(r).first, m_body), r, 0);
        grid->addWidget(rows.at(r).second, r, 1);
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(rows.size(), 1);
    setBody(m_body);
    resize(qMax(UiScale::px(420), 420), qMax(UiScale::px(260), 260));
    refreshFromModel();
}

QComboBox* DspChAecForm::addBox(const QString& name, const QStringList& texts)
{
    auto* box = new QComboBox(m_body);
    box->setObjectName(name);
    for (int k = 0; k < texts.size(); ++k)
        box->addItem(texts.at(k), k);
    box->setMinimumWidth(qMax(UiScale::px(120), 120));
    connect(box, QOverload<int>::of(&QComboBox::activated), this, [this, box] { onEdited(box); });
    return box;
}

CChAecItem* DspChAecForm::item() const
{
    return dynamic_cast<CChAecItem*>(block());
}

void DspChAecForm::refreshFromModel()
{
    DspBlockBaseForm::refreshFromModel();
    const CChAecItem* b = item();
    if (b == nullptr || m_far == nullptr)
        return;
    showValue(m_aec, b->hasAec() ? b->aecLevel() : 0, QStringLiteral("Level %1").arg(b->aecLevel()));
    showValue(m_agc, b->hasAgc() ? 1 : 0, QStringLiteral("ON"));
    showValue(m_ans, b->hasAns() ? b->ansLevel() : 0, QStringLiteral("Level %1").arg(b->ansLevel()));
    showValue(m_far, b->farCh(), QStringLiteral("Ch-%1").arg(b->farCh() + 1));
}

void DspChAecForm::onEdited(QComboBox* box)
{
    CChAecItem* b = item();
    if (b == nullptr || refuseWhenLocked())
        return;
    const int v = box->currentData().toInt();
    bool changed = false;
    if (box == m_aec) {
        changed = (v > 0) != b->hasAec() || (v > 0 && v != b->aecLevel());
        b->setHasAec(v > 0);
        if (v > 0)
            b->setAecLevel(v);
    } else if (box == m_agc) {
        changed = (v > 0) != b->hasAgc();
        b->setHasAgc(v > 0);
    } else if (box == m_ans) {
        changed = (v > 0) != b->hasAns() || (v > 0 && v != b->ansLevel());
        b->setHasAns(v > 0);
        if (v > 0)
            b->setAnsLevel(v);
    } else {
        changed = v != b->farCh();
        b->setFarCh(v);
    }
    if (changed)
        sendParams();
}

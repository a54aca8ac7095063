#include "DspAutomixChForm.h"

#include "DspSliderSpin.h"
#include "UiScale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kOpenStyle = QStringLiteral("background:#3cb371;border-radius:6px;");
const QString kClosedStyle = QStringLiteral("background:#3a404b;border-radius:6px;");

} // namespace

DspAutomixChForm::DspAutomixChForm(int member, QWidget* parent) : QFrame(parent), m_member(member)
{
    setObjectName(QStringLiteral("automixCh_%1").arg(member));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("DspAutomixChForm{background:#262b33;border:1px solid #3a404a;}"));
    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("lb_name"));
    m_name->setAlignment(Qt::AlignCenter);
    m_openMark = new QLabel(this);
    m_openMark->setObjectName(QStringLiteral("lb_open"));
    m_openMark->setFixedSize(12, 12);
    m_openMark->setStyleSheet(kClosedStyle);
    m_meter = new QProgressBar(this);
    m_meter->setObjectName(QStringLiteral("meter"));
    m_meter->setOrientation(Qt::Vertical);
    m_meter->setRange(kFloorDb, 0);
    m_meter->setValue(kFloorDb);
    m_meter->setTextVisible(false);
    m_meter->setFixedWidth(qMax(UiScale::px(10), 10));
    m_meter->setStyleSheet(QStringLiteral("QProgressBar{background:#2a2f38;border:1px solid #3a404b;}"
                                          "QProgressBar::chunk{background:#3cb371;}"));
    m_level = new QLabel(QString::number(kFloorDb), this);
    m_level->setObjectName(QStringLiteral("lb_level"));
    m_level->setAlignment(Qt::AlignCenter);
    m_gain = new DspSliderSpin(QStringLiteral("gain"), QStringLiteral("Gain"), QString(),
                               {double(kMinGain), double(kMaxGain), 1, 0, 1, 0}, this);
    connect(m_gain, &DspSliderSpin::signal_edited, this, [this](double v) {
        const int g = int(std::lround(v));
        if (g != m_mask.gain)
            edit([g](AutomixerMask& m) { m.gain = g; });
    });
    m_priority = new QComboBox(this);
    m_priority->setObjectName(QStringLiteral("cb_priority"));
    for (int p = 0; p <= kPriorities; ++p)
        m_priority->addItem(tr("优先级:%1").arg(p), p);
    m_priority->setMinimumWidth(qMax(UiScale::px(90), 90));
    connect(m_priority, QOverload<int>::of(&QComboBox::activated), this, [this] {
        const int p = m_priority->currentData().toInt();
        if (p != m_mask.priority)
            edit([p](AutomixerMask& m) { m.priority = p; });
    });

    auto* meterRow = new QHBoxLayout;
    meterRow->addWidget(m_meter);
    meterRow->addWidget(m_gain, 1);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(UiScale::px(4), UiScale::px(4), UiScale::px(4), UiScale::px(4));
    auto* head = new QHBoxLayout;
    head->addWidget(m_openMark);
    head->addWidget(m_name, 1);
    col->addLayout(head);
    col->addWidget(m_level);
    col->addLayout(meterRow, 1);
    col->addWidget(flagBox(QStringLiteral("cb_bypass"), QStringLiteral("Bypass"), &AutomixerMask::bypass));
    col->addWidget(flagBox(QStringLiteral("cb_alwaysOn"), QStringLiteral("AlwaysOn"), &AutomixerMask::alwaysOn));
    col->addWidget(flagBox(QStringLiteral("cb_preMute"), tr("前置静音"), &AutomixerMask::preMute));
    col->addWidget(flagBox(QStringLiteral("cb_postMute"), tr("后置静音"), &AutomixerMask::postMute));
    col->addWidget(m_priority);
    col->addWidget(flagBox(QStringLiteral("cb_chPos"), QStringLiteral("ChPos"), &AutomixerMask::chPost));
    setMinimumWidth(qMax(UiScale::px(104), 104));
}

QCheckBox* DspAutomixChForm::flagBox(const QString& name, const QString& text, bool AutomixerMask::*field)
{
    auto* cb = new QCheckBox(text, this);
    cb->setObjectName(name);
    connect(cb, &QCheckBox::clicked, this, [this, field](bool on) {
        if (m_mask.*field != on)
            edit([field, on](AutomixerMask& m) { m.*field = on; });
    });
    m_flags.append({cb, field});
    return cb;
}

void DspAutomixChForm::edit(const std::function<void(AutomixerMask&)>& change)
{
    AutomixerMask next = m_mask;
    change(next);
    // The editor decides (lock, device answer) and shows the member again through setMember.
    emit signal_changed(m_member, next);
}

void DspAutomixChForm::setMember(const QString& name, const AutomixerMask& mask)
{
    m_mask = mask;
    m_name->setText(name);
    m_gain->setValue(mask.gain);
    const QSignalBlocker blocker(m_priority);
    int at = m_priority->findData(mask.priority);
    if (at < 0) {
        m_priority->addItem(tr("优先级:%1").arg(mask.priority), mask.priority);
        at = m_priority->count() - 1;
    }
    m_priority->setCurrentIndex(at);
    for (const auto& f : qAsConst(m_flags)) {
        const QSignalBlocker b(f.first);
        f.first->setChecked(mask.*(f.second));
    }
}

void DspAutomixChForm::setOpen(bool open)
{
    m_open = open;
    m_openMark->setStyleSheet(open ? kOpenStyle : kClosedStyle);
}

void DspAutomixChForm::setLevel(const QString& text)
{
    QString t = text.trimmed();
    if (t.contains(QLatin1String("inf")))
        t = QString::number(kFloorDb);
    bool ok = false;
    const double db = t.toDouble(&ok);
    if (!ok || !std::isfinite(db))
        return;
    m_levelDb = qBound(kFloorDb, int(std::lround(db)), 0);
    m_meter->setValue(m_levelDb);
    m_level->setText(QString::number(m_levelDb));
}

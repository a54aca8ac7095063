#include "DspAutomixMemberDialog.h"

#include "UiScale.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int kPerRow = 8;

} // namespace

DspAutomixMemberDialog::DspAutomixMemberDialog(const QStringList& inputNames, const QVector<int>& selected, int limit,
                                               QWidget* parent)
    : QDialog(parent), m_limit(qBound(0, limit, kMaxMembers))
{
    setObjectName(QStringLiteral("DspAutomixMemberDialog"));
    setWindowTitle(QStringLiteral("SetChannels"));
    setStyleSheet(QStringLiteral("QDialog{background:#1e2229;} QLabel,QCheckBox{color:#d7dbe2;}"));
    auto* grid = new QGridLayout;
    for (int k = 0; k < inputNames.size(); ++k) {
        auto* cb = new QCheckBox(inputNames.at(k), this);
        cb->setObjectName(QStringLiteral("ch_%1").arg(k));
        cb->setMinimumWidth(qMax(UiScale::px(96), 96));
        connect(cb, &QCheckBox::clicked, this, [this, k](bool on) { choose(k, on); });
        grid->addWidget(cb, k / kPerRow, k % kPerRow);
        m_boxes << cb;
    }
    // The current members stay chosen even beyond a smaller limit: nothing is dropped without the user.
    for (int ch : selected)
        if (ch >= 0 && ch < m_boxes.size())
            m_boxes.at(ch)->setChecked(true);

    auto* head = new QHBoxLayout;
    head->addWidget(new QLabel(QStringLiteral("Selected Channels:"), this));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lb_count"));
    head->addWidget(m_count);
    head->addStretch();
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("lb_notice"));
    m_notice->setStyleSheet(QStringLiteral("color:#ff7b72;"));
    head->addWidget(m_notice);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("pb_cancel"));
    auto* conform = new QPushButton(QStringLiteral("Conform"), this);
    conform->setObjectName(QStringLiteral("pb_conform"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(conform, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(conform);

    auto* inner = new QWidget;
    inner->setLayout(grid);
    inner->setStyleSheet(QStringLiteral("background:#1e2229;"));
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(inner);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(scroll, 1);
    layout->addLayout(buttons);
    resize(qMax(UiScale::px(860), 860), qMax(UiScale::px(420), 420));
    updateCount();
}

QVector<int> DspAutomixMemberDialog::selected() const
{
    QVector<int> out;
    for (int k = 0; k < m_boxes.size(); ++k)
        if (m_boxes.at(k)->isChecked())
            out << k;
    return out;
}

bool DspAutomixMemberDialog::choose(int input, bool on)
{
    if (input < 0 || input >= m_boxes.size())
        return false;
    // A click has already checked the box; a call from code has not: both end here with the wished state.
    QCheckBox* cb = m_boxes.at(input);
    cb->setChecked(on);
    const bool refused = on && selected().size() > m_limit;
    if (refused) {
        cb->setChecked(false);
        const QString tip = tr("最多选择%1").arg(m_limit);
        m_notice->setText(tip);
        emit signal_showTips(tip, false);
    } else {
        m_notice->clear();
    }
    updateCount();
    return !refused;
}

void DspAutomixMemberDialog::updateCount()
{
    m_count->setText(QStringLiteral("%1/%2").arg(selected().size()).arg(m_limit));
}

#include "DspGroupForm.h"

#include "DspGroup.h"
#include "DspGroupRequests.h"
#include "DspSliderSpin.h"
#include "UiScale.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

int textPx(int design)
{
    return qMax(UiScale::px(design), design);
}

} // namespace

DspGroupForm::DspGroupForm(int groupId, QWidget* parent) : QFrame(parent), m_groupId(groupId)
{
    setObjectName(QStringLiteral("group_%1").arg(groupId));
    setFrameShape(QFrame::StyledPanel);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setFixedWidth(textPx(112));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("groupName_%1").arg(groupId));
    m_name->setMaxLength(DspGroupRequests::MaxNameLength);
    m_name->setAlignment(Qt::AlignCenter);
    m_name->setMinimumHeight(textPx(24));
    connect(m_name, &QLineEdit::editingFinished, this, [this] { recvEditName(m_name->text(), m_name->objectName()); });

    DspSliderSpin::Range range;
    range.min = DspGroupRequests::MinGainDb;
    range.max = DspGroupRequests::MaxGainDb;
    range.step = 0.5;
    range.decimals = 2;
    range.scale = 2;
    range.offset = -DspGroupRequests::MinGainDb * 2;
    m_gain =
        new DspSliderSpin(QStringLiteral("groupGain_%1").arg(groupId), QString(), QStringLiteral("dB"), range, this);
    m_gain->spinBox()->setMinimumWidth(textPx(60));
    m_gain->spinBox()->setMaximumWidth(textPx(72));
    m_gain->spinBox()->setToolTip(QStringLiteral("dB"));
    m_gain->slider()->setMinimumHeight(UiScale::px(90));
    for (const char* part : {"_caption", "_unit"})
        if (auto* label = m_gain->findChild<QLabel*>(m_gain->objectName() + QLatin1String(part)))
            label->hide();
    connect(m_gain, &DspSliderSpin::signal_edited, this, [this](double db) { sendEditDbValue_slot(m_groupId, db); });

    m_mute = new QPushButton(tr("静音"), this);
    m_mute->setObjectName(QStringLiteral("groupMute_%1").arg(groupId));
    m_mute->setCheckable(true);
    connect(m_mute, &QPushButton::clicked, this, [this](bool on) { emit signal_muteClicked(m_groupId, on); });

    m_members = new QLabel(this);
    m_members->setObjectName(QStringLiteral("groupMembers_%1").arg(groupId));
    m_members->setWordWrap(true);
    m_members->setAlignment(Qt::AlignCenter);
    m_members->setMinimumHeight(textPx(34));

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(UiScale::px(3), UiScale::px(3), UiScale::px(3), UiScale::px(3));
    box->setSpacing(UiScale::px(3));
    box->addWidget(m_name);
    box->addWidget(m_gain, 1);
    box->addWidget(m_mute);
    box->addWidget(m_members);
}

void DspGroupForm::setGroup(const DspGroup& group, const QVector<int>& members)
{
    if (!m_name->hasFocus() || m_name->text() != group.name) {
        const QSignalBlocker a(m_name);
        m_name->setText(group.name);
    }
    m_gain->setValue(group.gainDb);
    const QSignalBlocker b(m_mute);
    m_mute->setChecked(group.mute);
    const QString list = membersText(members);
    m_members->setText(list.isEmpty() ? tr("无成员") : tr("成员: %1").arg(list));
    m_members->setToolTip(list);
}

QString DspGroupForm::membersText() const
{
    return m_members->toolTip();
}

QString DspGroupForm::membersText(const QVector<int>& members)
{
    QStringList parts;
    for (int i = 0; i < members.size();) {
        int j = i;
        while (j + 1 < members.size() && members.at(j + 1) == members.at(j) + 1)
            ++j;
        parts << (j == i ? QString::number(members.at(i) + 1)
                         : QStringLiteral("%1-%2").arg(members.at(i) + 1).arg(members.at(j) + 1));
        i = j + 1;
    }
    return parts.join(QLatin1Char(','));
}

void DspGroupForm::recvEditName(QString name, QString objName)
{
    if (objName == m_name->objectName())
        emit signal_nameEdited(m_groupId, name);
}

void DspGroupForm::sendEditDbValue_slot(int groupId, double gain)
{
    if (groupId == m_groupId)
        emit signal_gainEdited(m_groupId, gain);
}

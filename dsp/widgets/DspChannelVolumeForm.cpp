#include "DspChannelVolumeForm.h"

#include "CBaseChannel.h"
#include "DspChannelLevelBar.h"
#include "DspChannelMeters.h"
#include "DspGroup.h"
#include "DspSliderSpin.h"
#include "UiScale.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

/// Text-bearing controls keep their design size: fonts do not shrink with the screen.
int textPx(int design)
{
    return qMax(UiScale::px(design), design);
}

} // namespace

DspChannelVolumeForm::DspChannelVolumeForm(Kind kind, int index, QWidget* parent)
    : QFrame(parent), m_kind(kind), m_index(index)
{
    setObjectName(QStringLiteral("strip_%1_%2").arg(kindText()).arg(index));
    setFrameShape(QFrame::StyledPanel);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setFixedWidth(textPx(112));

    m_name = new QLabel(this);
    m_name->setObjectName(objName("chName"));
    m_name->setAlignment(Qt::AlignCenter);
    m_name->setMinimumHeight(textPx(34));
    m_name->setWordWrap(true);

    m_meter = new DspChannelLevelBar(DspChannelMeters::FloorDb, this);
    m_meter->setObjectName(objName("meter"));
    m_meter->setFixedWidth(UiScale::px(8));

    DspSliderSpin::Range range;
    range.min = MinGainDb;
    range.max = MaxGainDb;
    range.step = 0.5;
    range.decimals = 2;
    range.scale = 2;
    range.offset = -MinGainDb * 2;
    m_gain = new DspSliderSpin(objName("gain"), QString(), QStringLiteral("dB"), range, this);
    m_gain->spinBox()->setMinimumWidth(textPx(60));
    m_gain->spinBox()->setMaximumWidth(textPx(72));
    m_gain->spinBox()->setToolTip(QStringLiteral("dB"));
    m_gain->slider()->setMinimumHeight(UiScale::px(90));
    // A strip is narrow and every pixel of height goes to the fader: the field says what the unit is.
    for (const char* part : {"_caption", "_unit"})
        if (auto* label = m_gain->findChild<QLabel*>(m_gain->objectName() + QLatin1String(part)))
            label->hide();
    connect(m_gain, &DspSliderSpin::signal_edited, this,
            [this](double db) { emit signal_gainEdited(m_kind, m_index, db); });

    m_mute = new QPushButton(tr("静音"), this);
    m_mute->setObjectName(objName("mute"));
    m_mute->setCheckable(true);
    connect(m_mute, &QPushButton::clicked, this, [this](bool on) { emit signal_muteClicked(m_kind, m_index, on); });
    m_invert = new QPushButton(tr("反相"), this);
    m_invert->setObjectName(objName("invert"));
    m_invert->setCheckable(true);
    connect(m_invert, &QPushButton::clicked, this, [this](bool on) { emit signal_invertClicked(m_kind, m_index, on); });
    m_group = new QComboBox(this);
    m_group->setObjectName(objName("group"));
    m_group->setMinimumHeight(textPx(22));
    connect(m_group, qOverload<int>(&QComboBox::activated), this,
            [this](int row) { emit signal_groupChosen(m_kind, m_index, row - 1); });

    auto* faders = new QHBoxLayout;
    faders->setContentsMargins(0, 0, 0, 0);
    faders->setSpacing(UiScale::px(2));
    faders->addWidget(m_meter);
    faders->addWidget(m_gain, 1);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(UiScale::px(3), UiScale::px(3), UiScale::px(3), UiScale::px(3));
    box->setSpacing(UiScale::px(3));
    box->addWidget(m_name);
    box->addLayout(faders, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(UiScale::px(2));
    buttons->addWidget(m_mute);
    buttons->addWidget(m_invert);
    box->addLayout(buttons);
    box->addWidget(m_group);
}

QString DspChannelVolumeForm::kindText() const
{
    switch (m_kind) {
    case Input:
        return QStringLiteral("in");
    case Output:
        return QStringLiteral("out");
    case Aec:
        return QStringLiteral("aec");
    case Automixer:
        break;
    }
    return QStringLiteral("amx");
}

QString DspChannelVolumeForm::objName(const char* what) const
{
    return QStringLiteral("%1_%2_%3").arg(QLatin1String(what), kindText()).arg(m_index);
}

void DspChannelVolumeForm::setChannel(const CBaseChannel& channel, const QString& shownName,
                                      const QVector<DspGroup>& groups)
{
    m_shownName = shownName;
    showName();
    m_name->setToolTip(shownName);
    m_gain->setValue(channel.gainDb());
    const QSignalBlocker a(m_mute);
    const QSignalBlocker b(m_invert);
    const QSignalBlocker c(m_group);
    m_mute->setChecked(channel.isMute());
    m_invert->setChecked(channel.isInverse());
    // The choices change only with the group names: rebuilding them per refresh would cost most of a redraw.
    const int wanted = groups.size() + 1;
    bool same = m_group->count() == wanted;
    for (int i = 0; same && i < groups.size(); ++i)
        same = m_group->itemText(i + 1) == groups.at(i).name;
    if (!same) {
        m_group->clear();
        m_group->addItem(tr("无分组"));
        for (const DspGroup& g : groups)
            m_group->addItem(g.name);
    }
    const int id = channel.groupId();
    m_group->setCurrentIndex(id >= 0 && id < groups.size() ? id + 1 : 0);
}

void DspChannelVolumeForm::showName()
{
    // Long names are cut to the strip; the tooltip keeps them whole.
    const int room = width() - 2 * (frameWidth() + UiScale::px(3));
    m_name->setText(QStringLiteral("%1\n%2")
                        .arg(m_index + 1)
                        .arg(m_name->fontMetrics().elidedText(m_shownName, Qt::ElideRight, room)));
}

void DspChannelVolumeForm::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    showName(); // the font is known for sure only once the strip is shown
}

void DspChannelVolumeForm::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        showName();
}

void DspChannelVolumeForm::setLevel(int db)
{
    m_meter->setLevel(db);
}

int DspChannelVolumeForm::level() const
{
    return m_meter->level();
}

void DspChannelVolumeForm::setEditable(bool editable)
{
    m_gain->setEnabled(editable);
    m_mute->setEnabled(editable);
    m_invert->setEnabled(editable);
    m_group->setEnabled(editable);
}

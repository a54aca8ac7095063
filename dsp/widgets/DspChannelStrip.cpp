#include "DspChannelStrip.h"

#include "CBaseItem.h"
#include "CChainChannel.h"
#include "CHlpfItem.h"
#include "DspBlockFactory.h"
#include "DspGroup.h"
#include "UiScale.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

DspChannelStrip::DspChannelStrip(bool isInput, int index, QWidget* parent)
    : QFrame(parent), m_isInput(isInput), m_index(index)
{
    setObjectName(QStringLiteral("strip:%1:%2").arg(sideText()).arg(index));
    setFrameShape(QFrame::StyledPanel);
    setProperty("strip", true);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    setStyleSheet(QStringLiteral("QPushButton{min-height:%1px;padding:0 %2px;}"
                                 "QPushButton:checked{background:#c0392b;color:#ffffff;}"
                                 "QPushButton[addSlot=\"true\"]{color:#8a93a0;}"
                                 "QPushButton[addSlot=\"true\"][chosen=\"true\"]{background:#2f80ed;color:#ffffff;}"
                                 "QPushButton[bypassed=\"true\"]{color:#777777;}")
                      .arg(UiScale::px(22))
                      .arg(UiScale::px(4)));

    m_number = new QLabel(QString::number(index + 1), this);
    m_number->setObjectName(objName("num"));
    m_number->setMinimumWidth(UiScale::px(24));
    m_signal = new QLabel(QStringLiteral("●"), this);
    m_signal->setObjectName(objName("signal"));
    setHaveSignal(false);
    m_name = new QLineEdit(this);
    m_name->setObjectName(objName("name"));
    m_name->setFixedWidth(UiScale::px(110));
    m_mute = new QPushButton(QStringLiteral("M"), this);
    m_mute->setObjectName(objName("mute"));
    m_mute->setCheckable(true);
    m_invert = new QPushButton(QStringLiteral("Ø"), this);
    m_invert->setObjectName(objName("invert"));
    m_invert->setCheckable(true);
    m_gain = new QDoubleSpinBox(this);
    m_gain->setObjectName(objName("gain"));
    m_gain->setRange(-72, 12);
    m_gain->setSingleStep(0.5);
    m_gain->setDecimals(1);
    m_gain->setSuffix(QStringLiteral(" dB"));
    m_gain->setKeyboardTracking(false);
    m_group = new QComboBox(this);
    m_group->setObjectName(objName("group"));
    m_link = new QPushButton(QStringLiteral("∞"), this);
    m_link->setObjectName(objName("link"));

    m_chain = new QWidget(this);
    m_chain->setObjectName(objName("chain"));
    m_chain->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed); // never squeezes blocks: the page scrolls
    m_chainLayout = new QHBoxLayout(m_chain);
    m_chainLayout->setContentsMargins(0, 0, 0, 0);
    m_chainLayout->setSpacing(UiScale::px(2));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(UiScale::px(4), UiScale::px(2), UiScale::px(4), UiScale::px(2));
    for (QWidget* w : {static_cast<QWidget*>(m_number), static_cast<QWidget*>(m_signal), static_cast<QWidget*>(m_name),
                       static_cast<QWidget*>(m_mute), static_cast<QWidget*>(m_invert), static_cast<QWidget*>(m_gain),
                       static_cast<QWidget*>(m_group), static_cast<QWidget*>(m_link)})
        row->addWidget(w);
    row->addWidget(m_chain, 1);

    connect(m_name, &QLineEdit::editingFinished, this, [this] {
        if (m_name->text() != m_confirmedName)
            emit signal_nameEdited(m_isInput, m_index, m_name->text());
    });
    connect(m_mute, &QPushButton::clicked, this, [this](bool on) { emit signal_muteClicked(m_isInput, m_index, on); });
    connect(m_invert, &QPushButton::clicked, this,
            [this](bool on) { emit signal_invertClicked(m_isInput, m_index, on); });
    connect(m_gain, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            [this](double db) { emit signal_gainEdited(m_isInput, m_index, db); });
    connect(m_group, qOverload<int>(&QComboBox::activated), this,
            [this](int row) { emit signal_groupChosen(m_isInput, m_index, row - 1); });
    connect(m_link, &QPushButton::clicked, this, [this] { emit signal_linkClicked(m_isInput, m_index); });
}

QString DspChannelStrip::objName(const char* what) const
{
    return QStringLiteral("%1:%2:%3").arg(QLatin1String(what), sideText()).arg(m_index);
}

QString DspChannelStrip::shownName() const
{
    return m_name->text();
}

void DspChannelStrip::setChannel(const CChainChannel& channel, const QString& shownName,
                                 const QVector<DspGroup>& groups)
{
    const QSignalBlocker b1(m_name), b2(m_mute), b3(m_invert), b4(m_gain), b5(m_group);
    m_confirmedName = shownName;
    m_name->setText(shownName);
    m_mute->setChecked(channel.isMute());
    m_invert->setChecked(channel.isInverse());
    m_gain->setValue(channel.gainDb());
    m_group->clear();
    m_group->addItem(tr("无分组"));
    for (const DspGroup& g : groups)
        m_group->addItem(g.name);
    const int row = channel.groupId() + 1;
    m_group->setCurrentIndex(row >= 0 && row < m_group->count() ? row : 0);
    rebuildChain(channel);
}

int DspChannelStrip::positionOfSlot(int slot, int chainLength) const
{
    return m_isInput ? slot : chainLength - slot;
}

void DspChannelStrip::rebuildChain(const CChainChannel& channel)
{
    // A button may be the sender of the edit that rebuilds the chain: it goes once its event is over.
    for (QPushButton* b : m_blockButtons + m_addButtons) {
        b->hide();
        b->setParent(nullptr);
        b->deleteLater();
    }
    m_blockButtons.clear();
    m_addButtons.clear();
    while (QLayoutItem* item = m_chainLayout->takeAt(0))
        delete item;

    const int n = channel.blocks().size();
    auto addSlot = [&](int slot) {
        const int position = positionOfSlot(slot, n);
        auto* add = new QPushButton(QStringLiteral("+"), m_chain);
        add->setObjectName(QStringLiteral("%1:%2:%3").arg(sideText()).arg(m_index).arg(position));
        add->setProperty("addSlot", true);
        add->setProperty("chosen", position == m_selected);
        add->setProperty("position", position);
        add->setFixedWidth(UiScale::px(18));
        connect(add, &QPushButton::clicked, this,
                [this, position] { emit signal_addClicked(m_isInput, m_index, position); });
        m_chainLayout->addWidget(add);
        m_addButtons << add;
    };
    for (int i = 0; i < n; ++i) {
        addSlot(i);
        const CBaseItem* block = channel.blocks().at(i);
        auto* b = new QPushButton(blockText(*block), m_chain);
        b->setObjectName(QStringLiteral("blk_%1_%2_%3").arg(m_isInput ? "in" : "out").arg(m_index).arg(i));
        b->setProperty("bypassed", block->isBypass());
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QPushButton::clicked, this, [this, i] { emit signal_blockClicked(m_isInput, m_index, i); });
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b, i](const QPoint& pos) { emit signal_blockMenu(m_isInput, m_index, i, b->mapToGlobal(pos)); });
        m_chainLayout->addWidget(b);
        m_blockButtons << b;
    }
    addSlot(n);
    m_chainLayout->addStretch();
}

QString DspChannelStrip::blockText(const CBaseItem& block)
{
    QString text = DspBlockFactory::kindName(block.kind());
    if (block.kind() == CBaseItem::KindHlpf)
        text = static_cast<const CHlpfItem&>(block).isHpf() ? QStringLiteral("HPF") : QStringLiteral("LPF");
    if (block.groupId() >= 0)
        text += QStringLiteral(" ∞%1").arg(block.groupId() + 1);
    return text;
}

void DspChannelStrip::setExpanded(bool expanded)
{
    m_expanded = expanded;
    m_chain->setVisible(expanded);
}

void DspChannelStrip::setSelectedPosition(int position)
{
    m_selected = position;
    for (QPushButton* add : m_addButtons) {
        add->setProperty("chosen", add->property("position").toInt() == position);
        add->style()->unpolish(add);
        add->style()->polish(add);
    }
}

void DspChannelStrip::setHaveSignal(bool haveSignal)
{
    // Called for every strip on every meter reply: restyle only on a change.
    if (m_signal->property("haveSignal") == QVariant(haveSignal))
        return;
    m_signal->setProperty("haveSignal", haveSignal);
    m_signal->setStyleSheet(haveSignal ? QStringLiteral("color:#2ecc71;") : QStringLiteral("color:#555555;"));
}

QPushButton* DspChannelStrip::blockButton(int blockIndex) const
{
    return blockIndex >= 0 && blockIndex < m_blockButtons.size() ? m_blockButtons.at(blockIndex) : nullptr;
}

void DspChannelStrip::contextMenuEvent(QContextMenuEvent* event)
{
    emit signal_channelMenu(m_isInput, m_index, event->globalPos());
}

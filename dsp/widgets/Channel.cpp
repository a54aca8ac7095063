#include "Channel.h"

#include "AppState.h"
#include "CDeviceDspData.h"
#include "CInputChannel.h"
#include "COutputChannel.h"
#include "DevDetailStore.h"
#include "DspAecChannel.h"
#include "DspAutomixerChannel.h"
#include "DspChannelMeters.h"
#include "DspDiagramRequests.h"
#include "DspEnvelope.h"
#include "DspGroupForm.h"
#include "DspGroupRequests.h"
#include "DspInChannelForm.h"
#include "DspOutChannelForm.h"
#include "ReplyFields.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr double kSameDb = 1e-6;
const QLatin1String kSucc("succ");

int textPx(int design)
{
    return qMax(UiScale::px(design), design);
}

/// A titled row of strips that scrolls sideways.
QScrollArea* stripRow(const QString& name, QWidget* parent, QHBoxLayout** row)
{
    auto* scroll = new QScrollArea(parent);
    scroll->setObjectName(name);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded); // only on very small windows
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* canvas = new QWidget(scroll);
    canvas->setObjectName(name + QStringLiteral("_canvas"));
    *row = new QHBoxLayout(canvas);
    (*row)->setContentsMargins(0, 0, 0, 0);
    (*row)->setSpacing(UiScale::px(4));
    (*row)->addStretch();
    scroll->setWidget(canvas);
    return scroll;
}

/// The channel or group a reply names in "inArr"/"outArr" or "index": the key into *side and the index; -1 when
/// it names none (devices need not repeat the request).
int replyIndex(const QJsonObject& reply, QString* side)
{
    for (const char* key : {"inArr", "outArr"}) {
        const QJsonArray arr = reply.value(QLatin1String(key)).toArray();
        bool ok = false;
        const int index = arr.isEmpty() ? -1 : ReplyFields::text(arr.at(0).toObject(), "index").toInt(&ok);
        if (ok) {
            *side = QLatin1String(key);
            return index;
        }
    }
    bool ok = false;
    const int index = ReplyFields::text(reply, "index").toInt(&ok);
    *side = QStringLiteral("index");
    return ok ? index : -1;
}

QString sideKey(int kind)
{
    return kind == DspChannelVolumeForm::Input ? QStringLiteral("inArr") : QStringLiteral("outArr");
}

bool isChannelOps(const QString& ops)
{
    return ops == QLatin1String("setMute") || ops == QLatin1String("setInverse") || ops == QLatin1String("setGain") ||
           ops == QLatin1String("setGroupId");
}

bool isGroupOps(const QString& ops)
{
    return ops == QLatin1String("setGroupGain") || ops == QLatin1String("setGroupMute") ||
           ops == QLatin1String("setGroupName");
}

} // namespace

Channel::Channel(QWidget* parent) : DspPageShell(QStringLiteral("Channel"), parent)
{
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("channelContent"));
    content->setAttribute(Qt::WA_StyledBackground, true);
    content->setStyleSheet(
        QStringLiteral(
            "QWidget#channelContent{background:#1e2229;}"
            "QWidget#inStrips_canvas,QWidget#outStrips_canvas,QWidget#groupStrips_canvas{background:#1e2229;}"
            "QLabel{color:#d7dbe2;}"
            "QFrame[frameShape=\"6\"]{background:#262b34;border:1px solid #3a404b;border-radius:3px;}"
            "QPushButton{min-height:%1px;color:#d7dbe2;background:#333946;border:1px solid #4a5160;"
            "border-radius:3px;}"
            "QPushButton:checked{background:#c0392b;color:#ffffff;}"
            "QPushButton:disabled{color:#8a93a0;}")
            .arg(textPx(22)));
    auto* inTitle = new QLabel(tr("输入通道"), content);
    inTitle->setObjectName(QStringLiteral("lb_inputs"));
    auto* outTitle = new QLabel(tr("输出通道"), content);
    outTitle->setObjectName(QStringLiteral("lb_outputs"));
    auto* groupTitle = new QLabel(tr("分组"), content);
    groupTitle->setObjectName(QStringLiteral("lb_groups"));
    m_lockLabel = new QLabel(tr("控制功能已上锁"), content);
    m_lockLabel->setObjectName(QStringLiteral("lb_lock"));
    m_lockLabel->setStyleSheet(QStringLiteral("color:#e74c3c;"));
    m_lockLabel->hide();
    m_inScroll = stripRow(QStringLiteral("inStrips"), content, &m_inRow);
    m_outScroll = stripRow(QStringLiteral("outStrips"), content, &m_outRow);
    m_groupScroll = stripRow(QStringLiteral("groupStrips"), content, &m_groupRow);
    connect(m_inScroll->horizontalScrollBar(), &QScrollBar::valueChanged, this, &Channel::reportVisible);
    connect(m_outScroll->horizontalScrollBar(), &QScrollBar::valueChanged, this, &Channel::reportVisible);

    auto* head = new QHBoxLayout;
    head->addWidget(inTitle);
    head->addStretch();
    head->addWidget(m_lockLabel);
    auto* lower = new QGridLayout;
    lower->addWidget(outTitle, 0, 0);
    lower->addWidget(groupTitle, 0, 1);
    lower->addWidget(m_outScroll, 1, 0);
    lower->addWidget(m_groupScroll, 1, 1);
    lower->setColumnStretch(0, 3);
    lower->setColumnStretch(1, 2);
    auto* box = new QVBoxLayout(content);
    box->setContentsMargins(UiScale::px(6), UiScale::px(6), UiScale::px(6), UiScale::px(6));
    box->addLayout(head);
    box->addWidget(m_inScroll, 1);
    box->addLayout(lower, 1);
    setContent(content);
}

// ---- Showing ----------------------------------------------------------------------------------------

void Channel::setDspData(CDeviceDspData* data)
{
    DspPageShell::setDspData(data);
    m_pending.clear();
    Shape shape;
    if (data != nullptr)
        shape = {int(data->inputs().size()), int(data->outputs().size()), int(data->aecChannels().size()),
                 int(data->automixerChannels().size()), qMin(int(data->groups().size()), DspGroupRequests::MaxGroups)};
    if (!(shape == m_shape) || m_builds == 0) {
        m_shape = shape;
        build();
    }
    refreshFromModel();
    // A new download set the dialog's meter starts back to the first channels.
    m_reported[0] = m_reported[1] = -1;
    reportVisible();
}

void Channel::build()
{
    ++m_builds;
    // Strips join hidden rows: each would otherwise be polished and laid out on its own as it arrives.
    const QList<QWidget*> canvases{m_inScroll->widget(), m_outScroll->widget(), m_groupScroll->widget()};
    for (QWidget* c : canvases)
        c->hide();
    struct Reshow
    {
        QList<QWidget*> widgets;
        ~Reshow()
        {
            for (QWidget* w : widgets)
                w->show();
        }
    } reshow{canvases};
    auto retire = [](QWidget* w) {
        w->hide();
        w->setParent(nullptr);
        w->deleteLater();
    };
    for (QWidget* w : m_inputs)
        retire(w);
    for (QWidget* w : m_outputs)
        retire(w);
    for (QWidget* w : m_sides)
        retire(w);
    for (QWidget* w : m_groups)
        retire(w);
    m_inputs.clear();
    m_outputs.clear();
    m_sides.clear();
    m_groups.clear();
    const CDeviceDspData* d = dspData();
    if (d == nullptr)
        return;
    auto wire = [this](DspChannelVolumeForm* s) {
        connect(s, &DspChannelVolumeForm::signal_gainEdited, this, &Channel::setChannelGain);
        connect(s, &DspChannelVolumeForm::signal_muteClicked, this, &Channel::setChannelMute);
        connect(s, &DspChannelVolumeForm::signal_invertClicked, this, &Channel::setChannelInverse);
        connect(s, &DspChannelVolumeForm::signal_groupChosen, this, &Channel::setChannelGroup);
    };
    // Strips go in before the row's closing stretch.
    for (int i = 0; i < m_shape.in; ++i) {
        auto* s = new DspInChannelForm(i);
        wire(s);
        m_inRow->insertWidget(m_inRow->count() - 1, s);
        m_inputs << s;
    }
    for (int i = 0; i < m_shape.aec + m_shape.amx; ++i) {
        const bool aec = i < m_shape.aec;
        auto* s = new DspChannelVolumeForm(aec ? DspChannelVolumeForm::Aec : DspChannelVolumeForm::Automixer,
                                           aec ? i : i - m_shape.aec);
        s->setEditable(false);
        m_inRow->insertWidget(m_inRow->count() - 1, s);
        m_sides << s;
    }
    for (int i = 0; i < m_shape.out; ++i) {
        auto* s = new DspOutChannelForm(i);
        wire(s);
        m_outRow->insertWidget(m_outRow->count() - 1, s);
        m_outputs << s;
    }
    for (int g = 0; g < m_shape.groups; ++g) {
        auto* f = new DspGroupForm(g);
        connect(f, &DspGroupForm::signal_gainEdited, this, &Channel::setGroupGain);
        connect(f, &DspGroupForm::signal_muteClicked, this, &Channel::setGroupMute);
        connect(f, &DspGroupForm::signal_nameEdited, this, &Channel::setGroupName);
        m_groupRow->insertWidget(m_groupRow->count() - 1, f);
        m_groups << f;
    }
}

void Channel::refreshFromModel()
{
    const CDeviceDspData* d = dspData();
    if (d == nullptr)
        return;
    for (int i = 0; i < m_inputs.size(); ++i)
        refreshStrip(DspChannelVolumeForm::Input, i);
    for (int i = 0; i < m_outputs.size(); ++i)
        refreshStrip(DspChannelVolumeForm::Output, i);
    const QVector<DspGroup> groups = d->groups().mid(0, DspGroupRequests::MaxGroups);
    for (int i = 0; i < m_sides.size(); ++i) {
        const bool aec = i < d->aecChannels().size();
        const CBaseChannel* ch = aec ? static_cast<const CBaseChannel*>(d->aecChannels().at(i))
                                     : d->automixerChannels().value(i - d->aecChannels().size());
        if (ch != nullptr)
            m_sides.at(i)->setChannel(*ch,
                                      QStringLiteral("%1 %2")
                                          .arg(aec ? QStringLiteral("AEC") : QStringLiteral("AutoMixer"))
                                          .arg((aec ? i : i - d->aecChannels().size()) + 1),
                                      groups);
    }
    refreshGroups();
    m_lockLabel->setVisible(isLocked());
}

void Channel::refreshStrip(int kind, int index)
{
    const CDeviceDspData* d = dspData();
    const bool isInput = kind == DspChannelVolumeForm::Input;
    if (d == nullptr || (!isInput && kind != DspChannelVolumeForm::Output))
        return;
    DspChannelVolumeForm* s = isInput ? static_cast<DspChannelVolumeForm*>(inputForm(index)) : outputForm(index);
    const CChainChannel* ch = d->channel(isInput, index);
    if (s != nullptr && ch != nullptr)
        s->setChannel(*ch, shownName(isInput, index), d->groups().mid(0, DspGroupRequests::MaxGroups));
}

void Channel::refreshGroups()
{
    const CDeviceDspData* d = dspData();
    if (d == nullptr)
        return;
    for (int g = 0; g < m_groups.size() && g < d->groups().size(); ++g)
        m_groups.at(g)->setGroup(d->groups().at(g), d->groupMembers().value(g));
}

void Channel::refreshData()
{
    refreshFromModel();
}

QString Channel::shownName(bool isInput, int index) const
{
    // The names every window shows live in the store; the processor's extra channels keep the model's.
    const CDeviceDspData* d = dspData();
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(d->devId());
    const QStringList& phy = isInput ? detail.phyRxChNames : detail.phyTxChNames;
    const QStringList& net = isInput ? detail.rxChNames : detail.txChNames;
    if (index < phy.size())
        return phy.at(index);
    if (index - phy.size() < net.size())
        return net.at(index - phy.size());
    const CChainChannel* ch = d->channel(isInput, index);
    return ch != nullptr ? ch->name() : QString();
}

void Channel::showEvent(QShowEvent* event)
{
    DspPageShell::showEvent(event);
    refreshFromModel();
    m_reported[0] = m_reported[1] = -1;
    reportVisible();
}

DspInChannelForm* Channel::inputForm(int index) const
{
    return m_inputs.value(index);
}

DspOutChannelForm* Channel::outputForm(int index) const
{
    return m_outputs.value(index);
}

DspChannelVolumeForm* Channel::sideForm(int index) const
{
    return m_sides.value(index);
}

DspGroupForm* Channel::groupForm(int groupId) const
{
    return m_groups.value(groupId);
}

// ---- Meters -----------------------------------------------------------------------------------------

int Channel::firstVisible(bool inOrOut) const
{
    const QScrollArea* scroll = inOrOut ? m_outScroll : m_inScroll;
    const QList<DspChannelVolumeForm*> strips = inOrOut
                                                    ? QList<DspChannelVolumeForm*>(m_outputs.begin(), m_outputs.end())
                                                    : QList<DspChannelVolumeForm*>(m_inputs.begin(), m_inputs.end());
    if (strips.isEmpty())
        return 0;
    const int x = scroll->horizontalScrollBar()->value();
    const int pitch = strips.first()->width() + (inOrOut ? m_outRow : m_inRow)->spacing();
    return qBound(0, pitch > 0 ? x / pitch : 0, strips.size() - 1);
}

void Channel::reportVisible()
{
    for (bool out : {false, true}) {
        const int first = firstVisible(out);
        if (m_reported[out ? 1 : 0] != first) {
            m_reported[out ? 1 : 0] = first;
            emit signal_changeIdStart(first, out);
        }
    }
}

void Channel::volumeTick()
{
    m_lockLabel->setVisible(isLocked());
}

void Channel::showMeters(const QJsonObject& reply)
{
    for (bool isInput : {true, false}) {
        const QList<DspChannelVolumeForm*> strips =
            isInput ? QList<DspChannelVolumeForm*>(m_inputs.begin(), m_inputs.end())
                    : QList<DspChannelVolumeForm*>(m_outputs.begin(), m_outputs.end());
        DspChannelMeters::Levels levels;
        if (!DspChannelMeters::read(reply, isInput, strips.size(), &levels))
            continue;
        // Only strips in view: with hundreds of channels the rest would repaint for nothing.
        const QScrollArea* scroll = isInput ? m_inScroll : m_outScroll;
        const QRect view(scroll->widget()->mapFrom(scroll->viewport(), QPoint(0, 0)), scroll->viewport()->size());
        for (int k = 0; k < levels.db.size(); ++k) {
            DspChannelVolumeForm* s = strips.value(levels.start + k);
            if (s == nullptr)
                break;
            if (!isVisible() || s->geometry().intersects(view))
                s->setLevel(levels.db.at(k));
        }
    }
}

// ---- Replies ----------------------------------------------------------------------------------------

void Channel::recvBackData(QString msg)
{
    DspPageShell::recvBackData(msg);
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (reply.isEmpty() || dspData() == nullptr)
        return;
    const QString ops = ReplyFields::text(reply, "ops");
    if (ops.startsWith(QLatin1String("getVolumeDb")))
        showMeters(reply);
    else if (isChannelOps(ops) || isGroupOps(ops))
        handleReply(reply);
}

void Channel::handleReply(const QJsonObject& reply)
{
    const QString ops = ReplyFields::text(reply, "ops");
    const bool succ = ReplyFields::text(reply, "result") == kSucc;
    QString side;
    const int index = replyIndex(reply, &side);
    for (int i = 0; i < m_pending.size(); ++i) {
        const Pending& p = m_pending.at(i);
        if (p.ops != ops || (index >= 0 && (p.index != index || p.side != side)))
            continue;
        const Pending taken = m_pending.takeAt(i);
        if (!succ && taken.undo)
            taken.undo();
        break;
    }
    // The diagram page, which sees every reply too, reports the channel requests' outcome.
    if (!isGroupOps(ops))
        return;
    if (ops == QLatin1String("setGroupName"))
        tip(succ ? tr("设置成功") : tr("设置失败，请重新设置"));
    else if (!succ)
        tip(ops == QLatin1String("setGroupGain") ? tr("设置增益失败") : tr("设置静音失败"));
}

void Channel::remember(Pending pending)
{
    if (offline())
        return;
    if (m_pending.size() >= MaxPending)
        m_pending.removeFirst();
    m_pending.append(std::move(pending));
}

// ---- Edits ------------------------------------------------------------------------------------------

bool Channel::offline() const
{
    // The offline workspace's dialog edits virtual devices: nothing may leave even if the page was not told.
    return isOffline() || AppState::isOffline();
}

bool Channel::isLocked() const
{
    const CDeviceDspData* d = dspData();
    if (offline() || d == nullptr || d->devId().isEmpty())
        return false;
    return DevDetailStore::instance().getDevDetail(d->devId()).dspLockLevel > 0;
}

bool Channel::refuseWhenLocked()
{
    if (!isLocked())
        return false;
    m_lockLabel->show();
    tip(tr("控制功能已上锁"));
    return true;
}

void Channel::tip(const QString& text)
{
    if (!text.isEmpty())
        emit signal_showTips(text);
}

void Channel::send(const QJsonObject& request)
{
    if (!offline())
        emit signal_sendMsg(DspEnvelope::udp(request));
}

CBaseChannel* Channel::editable(int kind, int index)
{
    // Echo-cancelled and automixer channels are only shown here.
    if (dspData() == nullptr || (kind != DspChannelVolumeForm::Input && kind != DspChannelVolumeForm::Output))
        return nullptr;
    CChainChannel* ch = dspData()->channel(kind == DspChannelVolumeForm::Input, index);
    if (ch == nullptr)
        return nullptr;
    if (refuseWhenLocked()) {
        refreshStrip(kind, index); // the control goes back to the configuration's value
        return nullptr;
    }
    return ch;
}

bool Channel::setChannelMute(int kind, int index, bool mute)
{
    CBaseChannel* ch = editable(kind, index);
    if (ch == nullptr)
        return false;
    if (ch->isMute() == mute)
        return false;
    ch->setMute(mute);
    const bool isInput = kind == DspChannelVolumeForm::Input;
    send(DspDiagramRequests::mute(isInput, index, mute));
    remember({QStringLiteral("setMute"), sideKey(kind), index, [this, kind, index, mute] {
                  CBaseChannel* c = dspData()->channel(kind == DspChannelVolumeForm::Input, index);
                  if (c != nullptr && c->isMute() == mute) {
                      c->setMute(!mute);
                      refreshStrip(kind, index);
                  }
              }});
    return true;
}

bool Channel::setChannelInverse(int kind, int index, bool inverse)
{
    CBaseChannel* ch = editable(kind, index);
    if (ch == nullptr)
        return false;
    if (ch->isInverse() == inverse)
        return false;
    ch->setInverse(inverse);
    send(DspDiagramRequests::inverse(kind == DspChannelVolumeForm::Input, index, inverse));
    remember({QStringLiteral("setInverse"), sideKey(kind), index, [this, kind, index, inverse] {
                  CBaseChannel* c = dspData()->channel(kind == DspChannelVolumeForm::Input, index);
                  if (c != nullptr && c->isInverse() == inverse) {
                      c->setInverse(!inverse);
                      refreshStrip(kind, index);
                  }
              }});
    return true;
}

bool Channel::setChannelGain(int kind, int index, double db)
{
    CBaseChannel* ch = editable(kind, index);
    if (ch == nullptr)
        return false;
    if (!std::isfinite(db) || db < DspChannelVolumeForm::MinGainDb || db > DspChannelVolumeForm::MaxGainDb ||
        std::fabs(ch->gainDb() - db) < kSameDb) {
        refreshStrip(kind, index);
        return false;
    }
    const double before = ch->gainDb();
    ch->setGainDb(db);
    send(DspDiagramRequests::gain(kind == DspChannelVolumeForm::Input, index, db));
    remember({QStringLiteral("setGain"), sideKey(kind), index, [this, kind, index, db, before] {
                  CBaseChannel* c = dspData()->channel(kind == DspChannelVolumeForm::Input, index);
                  if (c != nullptr && std::fabs(c->gainDb() - db) < kSameDb) {
                      c->setGainDb(before);
                      refreshStrip(kind, index);
                  }
              }});
    return true;
}

bool Channel::setChannelGroup(int kind, int index, int groupId)
{
    const CDeviceDspData* d = dspData();
    if (d == nullptr)
        return false;
    CBaseChannel* ch = editable(kind, index);
    if (ch == nullptr)
        return false;
    if (groupId < -1 || groupId >= qMin(int(d->groups().size()), DspGroupRequests::MaxGroups) ||
        ch->groupId() == groupId) {
        refreshStrip(kind, index);
        return false;
    }
    const int before = ch->groupId();
    auto apply = [this, kind, index](int id) {
        CBaseChannel* c = dspData()->channel(kind == DspChannelVolumeForm::Input, index);
        if (c == nullptr)
            return;
        c->setGroupId(id);
        dspData()->updateGroupMembers();
        refreshStrip(kind, index);
        refreshGroups();
    };
    apply(groupId);
    send(DspDiagramRequests::groupId(kind == DspChannelVolumeForm::Input, index, groupId));
    remember({QStringLiteral("setGroupId"), sideKey(kind), index, [this, kind, index, groupId, before, apply] {
                  CBaseChannel* c = dspData()->channel(kind == DspChannelVolumeForm::Input, index);
                  if (c != nullptr && c->groupId() == groupId)
                      apply(before);
              }});
    return true;
}

bool Channel::setGroupGain(int groupId, double db)
{
    CDeviceDspData* d = dspData();
    if (d == nullptr || groupId < 0 || groupId >= m_groups.size() || groupId >= d->groups().size())
        return false;
    if (refuseWhenLocked() || !DspGroupRequests::isGainInRange(db) ||
        std::fabs(d->groups().at(groupId).gainDb - db) < kSameDb) {
        refreshGroups();
        return false;
    }
    const double before = d->groups().at(groupId).gainDb;
    d->groups()[groupId].gainDb = db;
    send(DspGroupRequests::gain(groupId, db));
    remember({QStringLiteral("setGroupGain"), QStringLiteral("index"), groupId, [this, groupId, db, before] {
                  DspGroup& g = dspData()->groups()[groupId];
                  if (std::fabs(g.gainDb - db) < kSameDb) {
                      g.gainDb = before;
                      refreshGroups();
                  }
              }});
    return true;
}

bool Channel::setGroupMute(int groupId, bool mute)
{
    CDeviceDspData* d = dspData();
    if (d == nullptr || groupId < 0 || groupId >= m_groups.size() || groupId >= d->groups().size())
        return false;
    if (refuseWhenLocked() || d->groups().at(groupId).mute == mute) {
        refreshGroups();
        return false;
    }
    d->groups()[groupId].mute = mute;
    send(DspGroupRequests::mute(groupId, mute));
    remember({QStringLiteral("setGroupMute"), QStringLiteral("index"), groupId, [this, groupId, mute] {
                  DspGroup& g = dspData()->groups()[groupId];
                  if (g.mute == mute) {
                      g.mute = !mute;
                      refreshGroups();
                  }
              }});
    return true;
}

bool Channel::setGroupName(int groupId, const QString& name)
{
    CDeviceDspData* d = dspData();
    if (d == nullptr || groupId < 0 || groupId >= m_groups.size() || groupId >= d->groups().size())
        return false;
    if (d->groups().at(groupId).name == name || refuseWhenLocked()) {
        refreshGroups();
        return false;
    }
    const QString refusal = DspGroupRequests::nameRefusal(name);
    if (!refusal.isEmpty()) {
        tip(refusal);
        refreshGroups();
        return false;
    }
    const QString before = d->groups().at(groupId).name;
    d->groups()[groupId].name = name;
    // The channels' group boxes show the names too.
    refreshFromModel();
    send(DspGroupRequests::name(groupId, name));
    remember({QStringLiteral("setGroupName"), QStringLiteral("index"), groupId, [this, groupId, name, before] {
                  DspGroup& g = dspData()->groups()[groupId];
                  if (g.name == name) {
                      g.name = before;
                      refreshFromModel();
                  }
              }});
    return true;
}

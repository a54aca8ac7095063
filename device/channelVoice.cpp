#include "channelVoice.h"

#include "AppState.h"
#include "DevDetailStore.h"
#include "DeviceSender.h"
#include "FormChannelVoice.h"
#include "LevelConversion.h"
#include "LevelNameTips.h"
#include "ModelTable.h"
#include "NameRules.h"
#include "ReasonText.h"
#include "ReplyFields.h"
#include "ShowDataThread.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <climits>

namespace {

constexpr int kRowsPerBlock = 32;
/// Rows are built page by page: the input tab (physical, then network), then the output tab.
constexpr channelVoice::Side kBuildOrder[channelVoice::SideCount] = {channelVoice::PhyIn, channelVoice::NetIn,
                                                                     channelVoice::PhyOut, channelVoice::NetOut};

using ReplyFields::failed;
using ReplyFields::number;
using ReplyFields::text;

bool isOutput(const QJsonObject& o)
{
    return number(o, "inOrOut") != 0;
}

} // namespace

channelVoice::channelVoice(const QString& devId, QWidget* parent) : QWidget(parent), m_devId(devId), m_paging(devId)
{
    setObjectName(QStringLiteral("channelVoice"));
    m_poller = new ShowDataThread(this);
    connect(m_poller, &ShowDataThread::sendRequest, this, &channelVoice::sendChangeData);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] {
        readGainsAndMutes();
        m_refresh.start();
    });
    m_buildTimer.setSingleShot(true);
    m_buildTimer.setInterval(0);
    connect(&m_buildTimer, &QTimer::timeout, this, [this] {
        if (buildRows(kRowsPerStep))
            m_buildTimer.start();
    });
    buildUi();
    refreshFromStore();
}

channelVoice::~channelVoice()
{
    m_poller->stopThread();
}

QString channelVoice::sideTag(Side side)
{
    switch (side) {
    case PhyIn:
        return QStringLiteral("In");
    case PhyOut:
        return QStringLiteral("out");
    case NetIn:
        return QStringLiteral("netIn");
    default:
        return QStringLiteral("netOut");
    }
}

FormChannelVoice* channelVoice::row(Side side, int index) const
{
    if (side < 0 || side >= SideCount || index < 0 || index >= m_rows[side].size())
        return nullptr;
    return m_rows[side].at(index);
}

bool channelVoice::rowsComplete() const
{
    return m_buildOrder >= SideCount;
}

void channelVoice::finishRows()
{
    m_buildTimer.stop();
    buildRows(INT_MAX);
}

void channelVoice::setCurrentPage(int page)
{
    m_tabs->setCurrentIndex(page == 0 ? 0 : 1);
}

// ---- Building -------------------------------------------------------------------------------------------

void channelVoice::buildUi()
{
    // Dark like the settings page it sits beside; rows inherit it.
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#channelVoice{background:#1e2229;} QLabel{color:#d7dbe2;}"
                                 "QLineEdit{background:#14181e;color:#e6e9ee;border:1px solid #3a404a;}"
                                 "QTabWidget::pane{border:1px solid #3a404a;background:#1e2229;}"
                                 "QTabBar::tab{background:#2a2f38;color:#d7dbe2;padding:%1px %2px;}"
                                 "QTabBar::tab:selected{background:#0a84d0;color:#ffffff;}"
                                 "QScrollArea, QScrollArea > QWidget > QWidget{background:#1e2229;}"
                                 "QPushButton{background:#2a2f38;color:#d7dbe2;border:1px solid #3a404a;"
                                 "padding:%3px %2px;}"
                                 "QPushButton:checked{background:#c0392b;color:#ffffff;}")
                      .arg(UiScale::px(4))
                      .arg(UiScale::px(10))
                      .arg(UiScale::px(2)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(8), UiScale::px(8), UiScale::px(8), UiScale::px(8));
    layout->setSpacing(UiScale::px(6));

    auto* bar = new QHBoxLayout;
    bar->setSpacing(UiScale::px(6));
    m_analogJump = new QLineEdit(this);
    m_analogJump->setObjectName(QStringLiteral("analogJump_le"));
    m_netJump = new QLineEdit(this);
    m_netJump->setObjectName(QStringLiteral("netJump_le"));
    const QString labels[2] = {tr("模拟跳转到:"), tr("网络跳转到:")};
    QLineEdit* fields[2] = {m_analogJump, m_netJump};
    for (int i = 0; i < 2; ++i) {
        fields[i]->setPlaceholderText(QStringLiteral("1-1536"));
        fields[i]->setFixedWidth(UiScale::px(70));
        bar->addWidget(new QLabel(labels[i], this));
        bar->addWidget(fields[i]);
        bar->addSpacing(UiScale::px(12));
    }
    bar->addStretch(1);
    connect(m_analogJump, &QLineEdit::returnPressed, this, [this] { jumpTo(false); });
    connect(m_netJump, &QLineEdit::returnPressed, this, [this] { jumpTo(true); });
    layout->addLayout(bar);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("voice_tabs"));
    for (int page = 0; page < 2; ++page) {
        m_scroll[page] = new QScrollArea(m_tabs);
        m_scroll[page]->setObjectName(page == 0 ? QStringLiteral("input_scroll") : QStringLiteral("output_scroll"));
        m_scroll[page]->setWidgetResizable(true);
        m_scroll[page]->setFrameShape(QFrame::NoFrame);
        m_tabs->addTab(m_scroll[page], page == 0 ? tr("输入") : tr("输出"));
        connect(m_scroll[page]->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this, page] { showVisibleBlocks(page); });
        connect(m_scroll[page]->verticalScrollBar(), &QScrollBar::rangeChanged, this,
                [this, page] { showVisibleBlocks(page); });
    }
    layout->addWidget(m_tabs, 1);
}

FormChannelVoice* channelVoice::makeRow(Side side, int index, QWidget* parent)
{
    FormChannelVoice::Options opt;
    opt.side = sideTag(side);
    opt.index = index;
    opt.physical = LevelPaging::isPhysical(side);
    // Amplifier controls belong to the amplifier's outputs.
    opt.amplifier = m_amplifier && side == PhyOut;
    auto* r = new FormChannelVoice(opt, parent);
    r->setName(m_names[side].value(index));
    r->setLevel(m_paging.level(side, index));
    if (opt.physical) {
        r->setGain(m_paging.gain(side, index));
        r->setMuted(m_paging.isMuted(side, index));
        connect(r, &FormChannelVoice::gainEdited, this,
                [this, side](int i, double gain) { onGainEdited(side, i, gain); });
        connect(r, &FormChannelVoice::gainRefused, this, [this] { emit signal_showTips(tr("请输入正确的范围")); });
        connect(r, &FormChannelVoice::muteEdited, this,
                [this, side](int i, bool muted) { onMuteEdited(side, i, muted); });
    }
    if (opt.amplifier) {
        connect(r, &FormChannelVoice::ampGainEdited, this, [this](int i, int step) {
            sendMessage({{QStringLiteral("ops"), QStringLiteral("setGain")},
                         {QStringLiteral("id"), QString::number(i)},
                         {QStringLiteral("val"), QString::number(step)}});
        });
        connect(r, &FormChannelVoice::ampPowerEdited, this, [this](int i, bool on) {
            sendMessage({{QStringLiteral("ops"), QStringLiteral("setPower")},
                         {QStringLiteral("id"), QString::number(i)},
                         {QStringLiteral("val"), on ? QStringLiteral("1") : QStringLiteral("0")}});
        });
    }
    connect(r, &FormChannelVoice::nameEdited, this,
            [this, side](int i, const QString& name) { onNameEdited(side, i, name); });
    return r;
}

bool channelVoice::buildRows(int budget)
{
    static const char* const kTitles[SideCount] = {QT_TR_NOOP("模拟输入"), QT_TR_NOOP("模拟输出"),
                                                   QT_TR_NOOP("网络输入"), QT_TR_NOOP("网络输出")};
    while (m_buildOrder < SideCount && budget > 0) {
        const Side side = kBuildOrder[m_buildOrder];
        QVBoxLayout* layout = m_pageLayout[LevelPaging::isOutput(side) ? 1 : 0];
        QVector<FormChannelVoice*>& rows = m_rows[side];
        const int total = m_names[side].size();
        if (rows.size() >= total) {
            ++m_buildOrder;
            continue;
        }
        QWidget* host = layout->parentWidget();
        if (rows.isEmpty()) {
            auto* title = new QLabel(tr(kTitles[side]), host);
            title->setObjectName(QStringLiteral("title:") + sideTag(side));
            QFont f = title->font();
            f.setBold(true);
            title->setFont(f);
            title->setContentsMargins(UiScale::px(6), UiScale::px(8), 0, UiScale::px(4));
            layout->insertWidget(layout->count() - 1, title); // before the closing stretch
            rows.reserve(total);
        }
        for (; budget > 0 && rows.size() < total; --budget) {
            const int i = rows.size();
            // Rows live in blocks: a repaint's cost grows with the number of siblings, and a meter update
            // among thousands of sibling rows would cost the whole list.
            if (i % kRowsPerBlock == 0) {
                auto* block = new QWidget(host);
                QSizePolicy policy = block->sizePolicy();
                policy.setRetainSizeWhenHidden(true);
                block->setSizePolicy(policy);
                m_blocks[LevelPaging::isOutput(side) ? 1 : 0].append(block);
                m_blockLayout = new QVBoxLayout(block);
                m_blockLayout->setContentsMargins(0, 0, 0, 0);
                m_blockLayout->setSpacing(0);
                layout->insertWidget(layout->count() - 1, block);
            }
            FormChannelVoice* r = makeRow(side, i, m_blockLayout->parentWidget());
            m_blockLayout->addWidget(r);
            rows.append(r);
        }
    }
    if (rowsComplete()) {
        showVisibleBlocks(0);
        showVisibleBlocks(1);
    }
    return !rowsComplete();
}

void channelVoice::showVisibleBlocks(int page)
{
    // While rows are still being built every block is shown: a block must be laid out once, visible, before
    // its hidden size can be kept.
    if (!rowsComplete())
        return;
    const QWidget* viewport = m_scroll[page]->viewport();
    const int top = m_scroll[page]->verticalScrollBar()->value();
    const int margin = viewport->height() / 2;
    for (QWidget* block : qAsConst(m_blocks[page])) {
        const QRect g = block->geometry();
        const bool near = g.bottom() >= top - margin && g.top() <= top + viewport->height() + margin;
        if (near != !block->isHidden())
            block->setVisible(near);
    }
}

void channelVoice::rebuildRows()
{
    m_buildTimer.stop();
    for (auto& rows : m_rows)
        rows.clear();
    m_pendingNames.clear();
    m_buildOrder = 0;
    m_blockLayout = nullptr;
    m_blocks[0].clear();
    m_blocks[1].clear();
    for (int page = 0; page < 2; ++page) {
        // Replacing the content widget drops the old rows in one go.
        auto* content = new QWidget;
        content->setObjectName(page == 0 ? QStringLiteral("input_page") : QStringLiteral("output_page"));
        m_pageLayout[page] = new QVBoxLayout(content);
        m_pageLayout[page]->setContentsMargins(0, 0, 0, 0);
        m_pageLayout[page]->setSpacing(0);
        m_pageLayout[page]->addStretch(1);
        m_scroll[page]->setWidget(content);
    }
    // The first slice now, so a small device is complete at once; the rest between other events.
    if (buildRows(kRowsPerStep))
        m_buildTimer.start();
}

void channelVoice::refreshFromStore()
{
    const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::refreshFromStore", __LINE__);
    const ModelTable& models = ModelTable::instance();
    const bool amplifier = models.isAmplifier(d.model);
    m_paging.setBatch(models.isLevelBatch(d.model));
    m_paging.setLevelOffset(LevelConversion::needsLevelOffset(d.firmwareVersion));

    const QStringList names[SideCount] = {d.phyRxChNames, d.phyTxChNames, d.rxChNames, d.txChNames};
    bool sameShape = amplifier == m_amplifier;
    for (int s = 0; s < SideCount && sameShape; ++s)
        sameShape = names[s].size() == m_paging.count(Side(s));
    m_amplifier = amplifier;
    for (int s = 0; s < SideCount; ++s)
        m_names[s] = names[s];
    if (!sameShape) {
        const int counts[SideCount] = {int(names[PhyIn].size()), int(names[PhyOut].size()), int(names[NetIn].size()),
                                       int(names[NetOut].size())};
        m_paging.setCounts(counts);
    }
    m_paging.setGains(PhyIn, d.phyRxGains);
    m_paging.setGains(PhyOut, d.phyTxGains);
    m_paging.setMutes(PhyIn, d.phyRxMutes);
    m_paging.setMutes(PhyOut, d.phyTxMutes);

    if (!sameShape) {
        rebuildRows();
    } else {
        for (int s = 0; s < SideCount; ++s) {
            const Side side = Side(s);
            for (int i = 0; i < m_rows[s].size(); ++i) {
                FormChannelVoice* r = m_rows[s].at(i);
                // A rename we are waiting for keeps what the user typed.
                if (!m_pendingNames.contains(sideTag(side) + QLatin1Char(':') + QString::number(i)))
                    r->setName(names[s].at(i));
                if (LevelPaging::isPhysical(side)) {
                    r->setGain(m_paging.gain(side, i));
                    r->setMuted(m_paging.isMuted(side, i));
                }
            }
        }
    }
    updatePollTarget();
}

void channelVoice::updatePollTarget()
{
    const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::updatePollTarget", __LINE__);
    ShowDataThread::Target t;
    t.devId = d.isEmpty() ? QString() : m_devId;
    t.batch = m_paging.isBatch();
    t.ip = d.ip;
    t.phyIn = m_paging.count(PhyIn);
    t.phyOut = m_paging.count(PhyOut);
    t.netIn = m_paging.count(NetIn);
    t.netOut = m_paging.count(NetOut);
    m_poller->setTarget(t);
}

// ---- Showing and polling --------------------------------------------------------------------------------

void channelVoice::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A rename still unanswered from an earlier visit shows the device's name again.
    m_pendingNames.clear();
    refreshFromStore();
    for (bool& declined : m_declined)
        declined = false;
    if (AppState::isOffline())
        return;
    m_poller->startThread();
    readGainsAndMutes();
    m_refresh.start();
}

void channelVoice::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_poller->stopThread();
    m_refresh.stop();
}

void channelVoice::readGainsAndMutes()
{
    for (const LevelPaging::Request& r : m_paging.gainAndMuteRequests())
        sendRequest(r);
    if (m_amplifier)
        requestAmplifier();
}

void channelVoice::sendMessage(QJsonObject msg)
{
    msg.insert(QStringLiteral("devId"), m_devId);
    emit sendChangeData(ReplyFields::compact(msg));
}

void channelVoice::sendRequest(const LevelPaging::Request& request)
{
    if (request.port == 0) {
        emit sendChangeData(ReplyFields::compact(request.msg));
        return;
    }
    const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::sendRequest", __LINE__);
    if (d.ip != 0)
        DeviceSender::send(QJsonDocument(request.msg).toJson(QJsonDocument::Compact), d.ip, request.port);
}

void channelVoice::requestAmplifier()
{
    sendMessage({{QStringLiteral("ops"), QStringLiteral("getInfo")}});
    DevDetailStore& store = DevDetailStore::instance();
    const DevDetail_t d = store.getDevDetail(m_devId, "channelVoice::requestAmplifier", __LINE__);
    if (d.isEmpty())
        return;
    // The amplifier module answers from its own address; the store must know whose replies those are.
    uint32_t moduleIp = store.moduleMap(0).value(m_devId).ip;
    if (moduleIp == 0)
        moduleIp = d.ip;
    store.setReplyAddress(m_devId, moduleIp);
    DeviceSender::send(QByteArrayLiteral(R"({"ops":"getPowerGainInfo"})"), moduleIp, kAmpModulePort);
}

// ---- Replies --------------------------------------------------------------------------------------------

void channelVoice::recvBackData(QString msg)
{
    const QJsonDocument doc = QJsonDocument::fromJson(msg.toUtf8());
    if (!doc.isObject())
        return;
    const QJsonObject o = doc.object();
    const QString devId = text(o, "devId");
    if (!devId.isEmpty() && devId != m_devId)
        return;
    const LevelPaging::Outcome paged = m_paging.handle(o);
    if (paged.handled) {
        applyOutcome(paged);
        return;
    }
    const QString ops = text(o, "ops");
    if (ops == QLatin1String("setPhyGain")) {
        handleSetGain(o);
    } else if (ops == QLatin1String("setPhyMute")) {
        handleSetMute(o);
    } else if (ops == QLatin1String("setChName")) {
        handleName(o, isOutput(o) ? NetOut : NetIn);
    } else if (ops == QLatin1String("setPhyChNameRx")) {
        handleName(o, PhyIn);
    } else if (ops == QLatin1String("setPhyChNameTx")) {
        handleName(o, PhyOut);
    } else if (ops == QLatin1String("getInfo") || ops == QLatin1String("getPowerGainInfo")) {
        // The test page asks the second module under its own tag; those figures are not this page's module.
        if (!o.contains(QStringLiteral("uiTag")))
            handleAmplifier(o);
    } else if (ops == QLatin1String("setGain") || ops == QLatin1String("setPower")) {
        handleAmpSet(o);
    } else if (ops == QLatin1String("getVersion")) {
        // The firmware version decides the level offset; the dispatcher has stored it by now.
        const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::recvBackData", __LINE__);
        m_paging.setLevelOffset(LevelConversion::needsLevelOffset(d.firmwareVersion));
    }
}

void channelVoice::applyOutcome(const LevelPaging::Outcome& out)
{
    if (out.question != LevelPaging::NoQuestion) {
        askRetry(out.question, out.questionSide);
        return;
    }
    // Rows not built yet take their values from the paging state when they are.
    for (const LevelPaging::Outcome::Range& range : out.changed) {
        const QVector<FormChannelVoice*>& rows = m_rows[range.side];
        const int end = qMin(range.first + range.count, int(rows.size()));
        for (int i = range.first; i < end; ++i) {
            FormChannelVoice* r = rows.at(i);
            if (out.kind == LevelPaging::Levels)
                r->setLevel(m_paging.level(range.side, i));
            else if (out.kind == LevelPaging::Gains)
                r->setGain(m_paging.gain(range.side, i));
            else
                r->setMuted(m_paging.isMuted(range.side, i));
        }
    }
    for (const LevelPaging::Request& r : out.requests)
        sendRequest(r);
    if (out.gainsComplete || out.mutesComplete)
        storePhysical(out.physicalSide, out.gainsComplete);
    if (out.gainOrMuteReply && isVisible())
        m_refresh.start();
}

void channelVoice::storePhysical(Side side, bool gains)
{
    if (gains) {
        const QVector<double> values = m_paging.gains(side);
        DevDetailStore::instance().updateDevDetail(
            m_devId, [&](DevDetail_t& d) { (side == PhyOut ? d.phyTxGains : d.phyRxGains) = values; });
    } else {
        const QVector<int> values = m_paging.mutes(side);
        DevDetailStore::instance().updateDevDetail(
            m_devId, [&](DevDetail_t& d) { (side == PhyOut ? d.phyTxMutes : d.phyRxMutes) = values; });
    }
}

void channelVoice::handleSetGain(const QJsonObject& o)
{
    const Side side = isOutput(o) ? PhyOut : PhyIn;
    const int index = number(o, "id", -1);
    if (index < 0 || index >= m_paging.count(side))
        return;
    FormChannelVoice* r = row(side, index);
    if (failed(o)) {
        if (r)
            r->setGain(m_paging.gain(side, index));
        tipReason(o);
        return;
    }
    double gain = r ? r->gain() : m_paging.gain(side, index);
    LevelConversion::gainFromText(text(o, "val"), &gain);
    m_paging.setGain(side, index, gain);
    if (r)
        r->setGain(gain);
    DevDetailStore::instance().updateDevDetail(m_devId, [&](DevDetail_t& d) {
        QVector<double>& gains = side == PhyOut ? d.phyTxGains : d.phyRxGains;
        if (index < gains.size())
            gains[index] = gain;
    });
}

void channelVoice::handleSetMute(const QJsonObject& o)
{
    const Side side = isOutput(o) ? PhyOut : PhyIn;
    const int index = number(o, "id", -1);
    if (index < 0 || index >= m_paging.count(side))
        return;
    FormChannelVoice* r = row(side, index);
    if (failed(o)) {
        if (r)
            r->setMuted(m_paging.isMuted(side, index));
        tipReason(o);
        return;
    }
    const QString val = text(o, "val");
    const bool shown = r ? r->isMuted() : m_paging.isMuted(side, index);
    const int mute = val.isEmpty() ? (shown ? 1 : 0) : (val.toInt() != 0 ? 1 : 0);
    m_paging.setMute(side, index, mute != 0);
    if (r)
        r->setMuted(mute != 0);
    DevDetailStore::instance().updateDevDetail(m_devId, [&](DevDetail_t& d) {
        QVector<int>& mutes = side == PhyOut ? d.phyTxMutes : d.phyRxMutes;
        if (index < mutes.size())
            mutes[index] = mute;
    });
    emit signal_showTips(tr("设置成功"));
}

void channelVoice::handleName(const QJsonObject& o, Side side)
{
    int index = number(o, "ch", -1);
    if (index < 0)
        index = number(o, "id", -1);
    FormChannelVoice* r = row(side, index);
    if (!r)
        return;
    const bool ours = m_pendingNames.remove(sideTag(side) + QLatin1Char(':') + QString::number(index));
    if (failed(o)) {
        if (!ours)
            return;
        const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::handleName", __LINE__);
        const QStringList names[SideCount] = {d.phyRxChNames, d.phyTxChNames, d.rxChNames, d.txChNames};
        r->setName(names[side].value(index, r->name()));
        tipReason(o);
        return;
    }
    if (o.contains(QLatin1String("name")))
        r->setName(text(o, "name"));
    if (ours)
        emit signal_showTips(tr("设置成功"));
}

void channelVoice::handleAmplifier(const QJsonObject& o)
{
    if (!m_amplifier || failed(o))
        return;
    finishRows(); // amplifiers have a handful of outputs
    const QVector<FormChannelVoice*>& rows = m_rows[PhyOut];
    const int steps = number(o, "gainLev", 0);
    if (steps > 0) {
        for (FormChannelVoice* r : rows)
            r->setAmpGainSteps(steps);
    }
    for (const char* key : {"gainArr", "powerGainArr"}) {
        const QStringList values = ReplyFields::texts(o, key);
        for (int i = 0; i < values.size() && i < rows.size(); ++i)
            rows.at(i)->setAmpGainStep(values.at(i).toInt());
    }
    const QStringList power = ReplyFields::texts(o, "powerArr");
    for (int i = 0; i < power.size() && i < rows.size(); ++i)
        rows.at(i)->setAmpPower(power.at(i).toInt() != 0);
    // "powerOn" is the amplifier's master switch: off means every channel is off.
    if (o.contains(QLatin1String("powerOn")) && number(o, "powerOn") == 0) {
        for (FormChannelVoice* r : rows)
            r->setAmpPower(false);
    }
}

void channelVoice::handleAmpSet(const QJsonObject& o)
{
    if (!m_amplifier)
        return;
    if (failed(o)) {
        tipReason(o);
        requestAmplifier();
        return;
    }
    emit signal_showTips(tr("设置成功"));
}

void channelVoice::tipReason(const QJsonObject& o)
{
    QString reason = text(o, "reason");
    if (reason.isEmpty())
        reason = tr("设置失败");
    emit signal_showTips(ReasonText::forReason(reason, AppState::isChinese()));
}

// ---- User edits -----------------------------------------------------------------------------------------

void channelVoice::onNameEdited(Side side, int index, const QString& typed)
{
    FormChannelVoice* r = row(side, index);
    if (!r)
        return;
    const NameRules::Result verdict = NameRules::check(typed, r->name());
    if (verdict.verdict != NameRules::Accepted) {
        r->setName(r->name());
        const QString tip = LevelNameTips::tipFor(verdict.verdict);
        if (!tip.isEmpty())
            emit signal_showTips(tip);
        return;
    }
    const QString name = verdict.name;
    m_pendingNames.insert(sideTag(side) + QLatin1Char(':') + QString::number(index));
    if (side == NetIn || side == NetOut) {
        sendMessage({{QStringLiteral("ops"), QStringLiteral("setChName")},
                     {QStringLiteral("inOrOut"), side == NetOut ? QStringLiteral("1") : QStringLiteral("0")},
                     {QStringLiteral("ch"), QString::number(index)},
                     {QStringLiteral("name"), name}});
        return;
    }
    // Physical names go to the device's command port as they stand: there is no command message for them.
    const QJsonObject request{
        {QStringLiteral("ops"), side == PhyOut ? QStringLiteral("setPhyChNameTx") : QStringLiteral("setPhyChNameRx")},
        {QStringLiteral("id"), QString::number(index)},
        {QStringLiteral("name"), name}};
    DeviceSender::sendToDevice(ReplyFields::compact(request), m_devId);
}

void channelVoice::onGainEdited(Side side, int index, double gain)
{
    sendMessage({{QStringLiteral("ops"), QStringLiteral("setPhyGain")},
                 {QStringLiteral("inOrOut"), LevelPaging::isOutput(side) ? QStringLiteral("1") : QStringLiteral("0")},
                 {QStringLiteral("id"), QString::number(index)},
                 {QStringLiteral("val"), LevelConversion::valueText(gain)}});
}

void channelVoice::onMuteEdited(Side side, int index, bool muted)
{
    sendMessage({{QStringLiteral("ops"), QStringLiteral("setPhyMute")},
                 {QStringLiteral("inOrOut"), side == PhyOut ? QStringLiteral("1") : QStringLiteral("0")},
                 {QStringLiteral("id"), QString::number(index)},
                 {QStringLiteral("val"), muted ? QStringLiteral("1") : QStringLiteral("0")}});
}

void channelVoice::jumpTo(bool network)
{
    QLineEdit* field = network ? m_netJump : m_analogJump;
    const int page = m_tabs->currentIndex() == 0 ? 0 : 1;
    const Side side = network ? (page == 0 ? NetIn : NetOut) : (page == 0 ? PhyIn : PhyOut);
    bool ok = false;
    const int channel = field->text().trimmed().toInt(&ok);
    if (ok && channel >= 1 && channel <= m_paging.count(side)) {
        // The wanted row may not be built yet.
        m_buildTimer.stop();
        while (!row(side, channel - 1) && buildRows(kRowsPerStep)) {
        }
        if (!rowsComplete())
            m_buildTimer.start();
    }
    FormChannelVoice* r = ok ? row(side, channel - 1) : nullptr;
    if (!r) {
        emit signal_showTips(tr("请输入正确的范围"));
        return;
    }
    m_scroll[page]->ensureWidgetVisible(r, 0, 0);
}

// ---- Retry questions ------------------------------------------------------------------------------------

void channelVoice::askRetry(Question q, Side side)
{
    // Level polls fail four times a second: one open question per kind, and none after a "no" until the
    // page is shown again.
    if (m_declined[q])
        return;
    m_questionSides[q].insert(side);
    if (m_questions[q])
        return;
    static const char* const kQuestionTexts[LevelPaging::QuestionCount] = {
        QT_TR_NOOP("获取物理通道电平失败，是否重新获取？"), QT_TR_NOOP("获取网络通道电平失败，是否重新获取？"),
        QT_TR_NOOP("获取物理通道增益失败，是否重新获取？"), QT_TR_NOOP("获取静音失败，是否重新获取？")};
    auto* box = new QMessageBox(QMessageBox::Question, tr("提示"), tr(kQuestionTexts[q]),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("retry_question"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, q, box](QAbstractButton* button) {
        const QSet<int> sides = m_questionSides[q];
        m_questionSides[q].clear();
        if (box->standardButton(button) == QMessageBox::Yes)
            retry(q, sides);
        else
            m_declined[q] = true;
    });
    m_questions[q] = box;
    box->open();
}

void channelVoice::retry(Question q, const QSet<int>& sides)
{
    for (const int s : sides)
        for (const LevelPaging::Request& r : m_paging.retryRequests(q, Side(s)))
            sendRequest(r);
}

#include "channelVoice.h"

#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "FormChannelVoice.h"
#include "LevelConversion.h"
#include "ModelTable.h"
#include "ReasonText.h"
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

#include "NameRules.h"

namespace {

const QString kSucc = QStringLiteral("succ");
constexpr int kRowsPerBlock = 32;

QString text(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isString() ? v.toString() : v.toVariant().toString();
}

int number(const QJsonObject& o, const char* key, int fallback = 0)
{
    bool ok = false;
    const int v = text(o, key).trimmed().toInt(&ok);
    return ok ? v : fallback;
}

/// Values of a reply array as texts (devices send strings; numbers are tolerated).
QStringList texts(const QJsonObject& o, const char* key)
{
    QStringList out;
    const QJsonArray arr = o.value(QLatin1String(key)).toArray();
    out.reserve(arr.size());
    for (const QJsonValue& v : arr)
        out << (v.isString() ? v.toString() : v.toVariant().toString());
    return out;
}

/// The reply's "idStart"; false for one no device sends (negative or absurdly large), whose array is ignored.
bool pageStart(const QJsonObject& o, int* idStart)
{
    *idStart = number(o, "idStart", -1);
    return *idStart >= 0 && *idStart <= (1 << 20);
}

bool failed(const QJsonObject& o)
{
    const QString r = text(o, "result");
    return !r.isEmpty() && r != kSucc;
}

bool isOutput(const QJsonObject& o)
{
    return number(o, "inOrOut") != 0;
}

int physicalSlot(channelVoice::Side side)
{
    return side == channelVoice::PhyOut ? 1 : 0;
}

} // namespace

channelVoice::channelVoice(const QString& devId, QWidget* parent) : QWidget(parent), m_devId(devId)
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
    }
    layout->addWidget(m_tabs, 1);
}

void channelVoice::addRows(QVBoxLayout* layout, Side side, const QStringList& names)
{
    const bool physical = side == PhyIn || side == PhyOut;
    QWidget* host = layout->parentWidget();
    QWidget* block = nullptr;
    QVBoxLayout* blockLayout = nullptr;
    FormChannelVoice::Options opt;
    opt.side = sideTag(side);
    opt.physical = physical;
    // Amplifier controls belong to the amplifier's outputs.
    opt.amplifier = m_amplifier && side == PhyOut;
    m_rows[side].reserve(names.size());
    for (int i = 0; i < names.size(); ++i) {
        opt.index = i;
        // Rows live in blocks: a repaint's cost grows with the number of siblings, and a meter update
        // among thousands of sibling rows would cost the whole list.
        if (i % kRowsPerBlock == 0) {
            block = new QWidget(host);
            blockLayout = new QVBoxLayout(block);
            blockLayout->setContentsMargins(0, 0, 0, 0);
            blockLayout->setSpacing(0);
            layout->addWidget(block);
        }
        auto* r = new FormChannelVoice(opt, block);
        r->setName(names.at(i));
        if (physical) {
            const int slot = physicalSlot(side);
            r->setGain(m_gains[slot].value(i, 0.0));
            r->setMuted(m_mutes[slot].value(i, 0) != 0);
            connect(r, &FormChannelVoice::gainEdited, this,
                    [this, side](int index, double gain) { onGainEdited(side, index, gain); });
            connect(r, &FormChannelVoice::gainRefused, this, [this] { emit signal_showTips(tr("请输入正确的范围")); });
            connect(r, &FormChannelVoice::muteEdited, this,
                    [this, side](int index, bool muted) { onMuteEdited(side, index, muted); });
        }
        if (opt.amplifier) {
            connect(r, &FormChannelVoice::ampGainEdited, this, [this](int index, int step) {
                sendMessage({{QStringLiteral("ops"), QStringLiteral("setGain")},
                             {QStringLiteral("id"), QString::number(index)},
                             {QStringLiteral("val"), QString::number(step)}});
            });
            connect(r, &FormChannelVoice::ampPowerEdited, this, [this](int index, bool on) {
                sendMessage({{QStringLiteral("ops"), QStringLiteral("setPower")},
                             {QStringLiteral("id"), QString::number(index)},
                             {QStringLiteral("val"), on ? QStringLiteral("1") : QStringLiteral("0")}});
            });
        }
        connect(r, &FormChannelVoice::nameEdited, this,
                [this, side](int index, const QString& name) { onNameEdited(side, index, name); });
        blockLayout->addWidget(r);
        m_rows[side].append(r);
    }
}

void channelVoice::rebuildRows()
{
    const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::rebuildRows", __LINE__);
    const QStringList names[SideCount] = {d.phyRxChNames, d.phyTxChNames, d.rxChNames, d.txChNames};
    for (auto& rows : m_rows)
        rows.clear();
    m_pendingNames.clear();
    const QString titles[SideCount] = {tr("模拟输入"), tr("模拟输出"), tr("网络输入"), tr("网络输出")};
    for (int page = 0; page < 2; ++page) {
        // Replacing the content widget drops the old rows in one go.
        auto* content = new QWidget;
        content->setObjectName(page == 0 ? QStringLiteral("input_page") : QStringLiteral("output_page"));
        auto* layout = new QVBoxLayout(content);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        const Side sides[2] = {page == 0 ? PhyIn : PhyOut, page == 0 ? NetIn : NetOut};
        for (const Side side : sides) {
            if (names[side].isEmpty())
                continue;
            auto* title = new QLabel(titles[side], content);
            title->setObjectName(QStringLiteral("title:") + sideTag(side));
            QFont f = title->font();
            f.setBold(true);
            title->setFont(f);
            title->setContentsMargins(UiScale::px(6), UiScale::px(8), 0, UiScale::px(4));
            layout->addWidget(title);
            addRows(layout, side, names[side]);
        }
        layout->addStretch(1);
        m_scroll[page]->setWidget(content);
    }
}

void channelVoice::refreshFromStore()
{
    const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::refreshFromStore", __LINE__);
    const ModelTable& models = ModelTable::instance();
    const bool amplifier = models.isAmplifier(d.model);
    m_batch = models.isLevelBatch(d.model);
    m_levelOffset = LevelConversion::needsLevelOffset(d.firmwareVersion);

    const QStringList names[SideCount] = {d.phyRxChNames, d.phyTxChNames, d.rxChNames, d.txChNames};
    bool sameShape = amplifier == m_amplifier;
    for (int s = 0; s < SideCount && sameShape; ++s)
        sameShape = names[s].size() == m_rows[s].size();
    m_amplifier = amplifier;

    const QVector<double> gains[2] = {d.phyRxGains, d.phyTxGains};
    const QVector<int> mutes[2] = {d.phyRxMutes, d.phyTxMutes};
    for (int slot = 0; slot < 2; ++slot) {
        const int count = names[slot].size();
        m_gains[slot] = gains[slot];
        m_gains[slot].resize(count);
        m_mutes[slot] = mutes[slot];
        m_mutes[slot].resize(count);
    }

    if (!sameShape) {
        rebuildRows();
    } else {
        for (int s = 0; s < SideCount; ++s) {
            for (int i = 0; i < m_rows[s].size(); ++i) {
                FormChannelVoice* r = m_rows[s].at(i);
                // A rename we are waiting for keeps what the user typed.
                if (!m_pendingNames.contains(sideTag(Side(s)) + QLatin1Char(':') + QString::number(i)))
                    r->setName(names[s].at(i));
                if (s == PhyIn || s == PhyOut) {
                    r->setGain(m_gains[s].at(i));
                    r->setMuted(m_mutes[s].at(i) != 0);
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
    t.batch = m_batch;
    t.ip = d.ip;
    t.phyIn = m_rows[PhyIn].size();
    t.phyOut = m_rows[PhyOut].size();
    t.netIn = m_rows[NetIn].size();
    t.netOut = m_rows[NetOut].size();
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
    for (const Side side : {PhyIn, PhyOut}) {
        if (m_rows[side].isEmpty())
            continue;
        requestPage(QStringLiteral("getAllPhyGain"), side, 0);
        requestPage(QStringLiteral("getAllPhyMute"), side, 0);
    }
    if (m_amplifier)
        requestAmplifier();
}

void channelVoice::sendMessage(QJsonObject msg)
{
    msg.insert(QStringLiteral("devId"), m_devId);
    emit sendChangeData(QString::fromUtf8(QJsonDocument(msg).toJson(QJsonDocument::Compact)));
}

void channelVoice::sendToDevice(const QJsonObject& request, uint32_t ip, uint16_t port)
{
    if (ip == 0)
        return;
    const QByteArray bytes = QJsonDocument(request).toJson(QJsonDocument::Compact);
    libCallUser_sendUdp(bytes.constData(), bytes.size(), ip, port);
}

void channelVoice::requestPage(const QString& ops, Side side, int idStart)
{
    sendMessage(
        {{QStringLiteral("ops"), ops},
         {QStringLiteral("inOrOut"), (side == PhyOut || side == NetOut) ? QStringLiteral("1") : QStringLiteral("0")},
         {QStringLiteral("idStart"), QString::number(idStart)}});
}

void channelVoice::requestBatch(bool input, int idStart)
{
    const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::requestBatch", __LINE__);
    sendToDevice(
        {{QStringLiteral("ops"), input ? QStringLiteral("getVolumeDbBatchIn") : QStringLiteral("getVolumeDbBatchOut")},
         {QStringLiteral("idStart"), QString::number(idStart)}},
        d.ip, kBatchPort);
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
    sendToDevice({{QStringLiteral("ops"), QStringLiteral("getPowerGainInfo")}}, moduleIp, kAmpModulePort);
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
    const QString ops = text(o, "ops");
    if (ops == QLatin1String("getAllPhyLevel")) {
        handleLevels(o, false);
    } else if (ops == QLatin1String("getAllNetLevel")) {
        handleLevels(o, true);
    } else if (ops == QLatin1String("getVolumeDbBatchIn")) {
        handleBatch(o, true);
    } else if (ops == QLatin1String("getVolumeDbBatchOut")) {
        handleBatch(o, false);
    } else if (ops == QLatin1String("getAllPhyGain")) {
        handleGains(o);
    } else if (ops == QLatin1String("getAllPhyMute")) {
        handleMutes(o);
    } else if (ops == QLatin1String("setPhyGain")) {
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
        handleAmplifier(o);
    } else if (ops == QLatin1String("setGain") || ops == QLatin1String("setPower")) {
        handleAmpSet(o);
    } else if (ops == QLatin1String("getVersion")) {
        // The firmware version decides the level offset; the dispatcher has stored it by now.
        const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::recvBackData", __LINE__);
        m_levelOffset = LevelConversion::needsLevelOffset(d.firmwareVersion);
    }
}

void channelVoice::handleLevels(const QJsonObject& o, bool network)
{
    const bool out = isOutput(o);
    const Side side = network ? (out ? NetOut : NetIn) : (out ? PhyOut : PhyIn);
    if (failed(o)) {
        askRetry(network ? NetLevelQuestion : PhyLevelQuestion, side);
        return;
    }
    const QVector<FormChannelVoice*>& rows = m_rows[side];
    int idStart = 0;
    if (!pageStart(o, &idStart))
        return;
    const QStringList values = texts(o, "arr");
    for (int i = 0; i < values.size(); ++i) {
        const int index = idStart + i;
        if (index >= rows.size())
            break;
        rows.at(index)->setLevel(LevelConversion::levelFromText(values.at(i), m_levelOffset));
    }
    const int next = LevelConversion::nextPageStart(idStart, number(o, "idNext"), rows.size());
    if (next >= 0)
        requestPage(network ? QStringLiteral("getAllNetLevel") : QStringLiteral("getAllPhyLevel"), side, next);
}

void channelVoice::handleBatch(const QJsonObject& o, bool input)
{
    if (failed(o))
        return;
    // The processor numbers its inputs (outputs) physical first, then network: the page's own order.
    const Side first = input ? PhyIn : PhyOut;
    const Side second = input ? NetIn : NetOut;
    const int physical = m_rows[first].size();
    const int total = physical + m_rows[second].size();
    int idStart = 0;
    if (!pageStart(o, &idStart))
        return;
    const QStringList values = texts(o, "arr");
    for (int i = 0; i < values.size(); ++i) {
        const int index = idStart + i;
        if (index >= total)
            break;
        FormChannelVoice* r = index < physical ? m_rows[first].at(index) : m_rows[second].at(index - physical);
        r->setLevel(LevelConversion::levelFromText(values.at(i), m_levelOffset));
    }
    const int next = LevelConversion::nextPageStart(idStart, number(o, "idNext"), total);
    if (next >= 0)
        requestBatch(input, next);
}

void channelVoice::handleGains(const QJsonObject& o)
{
    const Side side = isOutput(o) ? PhyOut : PhyIn;
    const int slot = physicalSlot(side);
    handlePhysicalPage(
        o, PhyGainQuestion, QStringLiteral("getAllPhyGain"),
        [this, slot](FormChannelVoice* row, int index, const QString& value) {
            double gain = 0.0;
            if (!LevelConversion::gainFromText(value, &gain))
                return;
            m_gains[slot][index] = gain;
            row->setGain(gain);
        },
        [this, side, slot] {
            const QVector<double> gains = m_gains[slot];
            DevDetailStore::instance().updateDevDetail(
                m_devId, [&](DevDetail_t& d) { (side == PhyOut ? d.phyTxGains : d.phyRxGains) = gains; });
        });
}

void channelVoice::handleMutes(const QJsonObject& o)
{
    const Side side = isOutput(o) ? PhyOut : PhyIn;
    const int slot = physicalSlot(side);
    handlePhysicalPage(
        o, PhyMuteQuestion, QStringLiteral("getAllPhyMute"),
        [this, slot](FormChannelVoice* row, int index, const QString& value) {
            const int mute = value.trimmed().toInt() != 0 ? 1 : 0;
            m_mutes[slot][index] = mute;
            row->setMuted(mute != 0);
        },
        [this, side, slot] {
            const QVector<int> mutes = m_mutes[slot];
            DevDetailStore::instance().updateDevDetail(
                m_devId, [&](DevDetail_t& d) { (side == PhyOut ? d.phyTxMutes : d.phyRxMutes) = mutes; });
        });
}

void channelVoice::handlePhysicalPage(const QJsonObject& o, Question retry, const QString& ops,
                                      const std::function<void(FormChannelVoice*, int, const QString&)>& apply,
                                      const std::function<void()>& storeSide)
{
    const Side side = isOutput(o) ? PhyOut : PhyIn;
    if (failed(o)) {
        askRetry(retry, side);
        return;
    }
    const QVector<FormChannelVoice*>& rows = m_rows[side];
    int idStart = 0;
    if (!pageStart(o, &idStart))
        return;
    const QStringList values = texts(o, "arr");
    for (int i = 0; i < values.size() && idStart + i < rows.size(); ++i)
        apply(rows.at(idStart + i), idStart + i, values.at(i));
    // Later pages are asked for here; the side is stored in the detail record once its last page is in.
    const int next = LevelConversion::nextPageStart(idStart, number(o, "idNext"), rows.size());
    if (next >= 0)
        requestPage(ops, side, next);
    else
        storeSide();
    if (isVisible())
        m_refresh.start();
}

void channelVoice::handleSetGain(const QJsonObject& o)
{
    const Side side = isOutput(o) ? PhyOut : PhyIn;
    const int slot = physicalSlot(side);
    const int index = number(o, "id", -1);
    FormChannelVoice* r = row(side, index);
    if (!r)
        return;
    if (failed(o)) {
        r->setGain(m_gains[slot].at(index));
        tipReason(o);
        return;
    }
    double gain = r->gain();
    LevelConversion::gainFromText(text(o, "val"), &gain);
    m_gains[slot][index] = gain;
    DevDetailStore::instance().updateDevDetail(m_devId, [&](DevDetail_t& d) {
        QVector<double>& gains = side == PhyOut ? d.phyTxGains : d.phyRxGains;
        if (index < gains.size())
            gains[index] = gain;
    });
}

void channelVoice::handleSetMute(const QJsonObject& o)
{
    const Side side = isOutput(o) ? PhyOut : PhyIn;
    const int slot = physicalSlot(side);
    const int index = number(o, "id", -1);
    FormChannelVoice* r = row(side, index);
    if (!r)
        return;
    if (failed(o)) {
        r->setMuted(m_mutes[slot].at(index) != 0);
        tipReason(o);
        return;
    }
    const QString val = text(o, "val");
    const int mute = val.isEmpty() ? (r->isMuted() ? 1 : 0) : (val.toInt() != 0 ? 1 : 0);
    m_mutes[slot][index] = mute;
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
    const QVector<FormChannelVoice*>& rows = m_rows[PhyOut];
    const int steps = number(o, "gainLev", 0);
    if (steps > 0) {
        for (FormChannelVoice* r : rows)
            r->setAmpGainSteps(steps);
    }
    for (const char* key : {"gainArr", "powerGainArr"}) {
        const QStringList values = texts(o, key);
        for (int i = 0; i < values.size() && i < rows.size(); ++i)
            rows.at(i)->setAmpGainStep(values.at(i).toInt());
    }
    const QStringList power = texts(o, "powerArr");
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
        if (!verdict.tip.isEmpty())
            emit signal_showTips(verdict.tip);
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
    const DevDetail_t d = DevDetailStore::instance().getDevDetail(m_devId, "channelVoice::onNameEdited", __LINE__);
    sendToDevice(
        {{QStringLiteral("ops"), side == PhyOut ? QStringLiteral("setPhyChNameTx") : QStringLiteral("setPhyChNameRx")},
         {QStringLiteral("id"), QString::number(index)},
         {QStringLiteral("name"), name}},
        d.ip, uint16_t(d.port));
}

void channelVoice::onGainEdited(Side side, int index, double gain)
{
    sendMessage({{QStringLiteral("ops"), QStringLiteral("setPhyGain")},
                 {QStringLiteral("inOrOut"), side == PhyOut ? QStringLiteral("1") : QStringLiteral("0")},
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
    static const char* const kQuestionTexts[QuestionCount] = {
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
    for (const int s : sides) {
        const Side side = Side(s);
        switch (q) {
        case PhyLevelQuestion:
        case NetLevelQuestion:
            if (m_batch)
                requestBatch(side == PhyIn || side == NetIn, 0);
            else
                requestPage(q == NetLevelQuestion ? QStringLiteral("getAllNetLevel") : QStringLiteral("getAllPhyLevel"),
                            side, 0);
            break;
        case PhyGainQuestion:
            requestPage(QStringLiteral("getAllPhyGain"), side, 0);
            break;
        case PhyMuteQuestion:
            requestPage(QStringLiteral("getAllPhyMute"), side, 0);
            break;
        default:
            break;
        }
    }
}

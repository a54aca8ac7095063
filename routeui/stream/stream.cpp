#include "stream.h"

#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DeviceSender.h"
#include "FormMcast.h"
#include "FormStream.h"
#include "FormStreamRoute.h"
#include "LockOverlays.h"
#include "McastCreateChecks.h"
#include "McastTxFacts.h"
#include "OfflineData.h"
#include "OfflineMcastEdit.h"
#include "OfflineStreamTables.h"
#include "ReasonText.h"
#include "RegistryJson.h"
#include "ReplyFields.h"
#include "ShowStreamInfoDialog.h"
#include "StreamTableText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

Q_LOGGING_CATEGORY(lcStream, "meridane.stream", QtWarningMsg)

namespace {

constexpr uint16_t kRoutePort = 9995;
constexpr int kDeleteSpacingMs = 10;
constexpr int kRouteSettleMs = 300;
constexpr int kButtonsPerRow = 8;

/// A reply may name the address dotted or as the decimal number the request carried.
QString decimalIp(const QString& text)
{
    return text.contains(QLatin1Char('.')) ? QString::number(dvm_parseIp(text)) : QString::number(text.toULongLong());
}

QJsonObject deviceCopy(const QString& devId)
{
    DevRecord* rec = findDevById(devId.toUtf8().constData());
    return rec ? RegistryJson::device(rec) : QJsonObject();
}

/// What the view shows of a design device: its tables, firmware version and transmit channel names.
struct OfflineView
{
    QJsonObject tables;
    QString version;
    QStringList txNames;
    int chNumTx = 0;
};

OfflineView offlineView(const OfflineData* design, const QString& devId)
{
    OfflineView v;
    if (!design)
        return v;
    design->withLock([&](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>&) {
        for (const auto& d : devices) {
            if (d->devId() != devId)
                continue;
            v.tables = OfflineStreamTables::device(*d);
            v.version = d->detail().version;
            v.txNames = d->detail().channelData.txChNameList;
            v.chNumTx = qBound(0, d->detail().chNumTx, OfflineDevice::MaxChannels);
            return;
        }
    });
    return v;
}

} // namespace

stream::stream(const QString& devId, QWidget* parent)
    : QWidget(parent), m_devId(devId), m_pages(new QStackedWidget(this)), m_pageGroup(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("stream"));
    // Dark like the settings page beside it.
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(
        QStringLiteral("QWidget#stream{background:#1e2229;} QLabel, QRadioButton, QCheckBox{color:#d7dbe2;}"
                       "QLineEdit{background:#14181e;color:#e6e9ee;border:1px solid #3a404a;}"
                       "QScrollArea, QScrollArea > QWidget > QWidget, QStackedWidget{background:#1e2229;}"
                       "QListWidget{background:#14181e;color:#d7dbe2;border:1px solid #3a404a;}"
                       "QPushButton{background:#2a2f38;color:#d7dbe2;border:1px solid #3a404a;padding:3px 8px;}"
                       "QPushButton:checked{background:#0a84d0;color:#ffffff;}"));
    auto* ucastBt = new QPushButton(tr("流列表"), this);
    ucastBt->setObjectName(QStringLiteral("unicast_stream_bt"));
    auto* mulBt = new QPushButton(tr("组播流"), this);
    mulBt->setObjectName(QStringLiteral("mul_stream_bt"));
    for (QPushButton* b : {ucastBt, mulBt})
        b->setCheckable(true);
    ucastBt->setChecked(true);
    m_pageGroup->addButton(ucastBt, 0);
    m_pageGroup->addButton(mulBt, 1);
    m_pageGroup->setExclusive(true);

    auto* top = new QHBoxLayout;
    top->addWidget(ucastBt);
    top->addWidget(mulBt);
    top->addStretch();
    m_pages->addWidget(buildListPage());
    m_pages->addWidget(buildCreatePage());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pages, 1);

    m_locks = new LockOverlays(this);
    connect(m_pageGroup, &QButtonGroup::idClicked, this, &stream::change_btGroupclicked);
    setDesign(&OfflineData::instance());
}

void stream::setDesign(OfflineData* design)
{
    disconnect(m_designConnection);
    m_design = design;
    // Whoever edits the design (this view, the matrix, the workspace), the view shows it.
    if (m_design)
        m_designConnection = connect(m_design, &OfflineData::changed, this, [this] {
            if (AppState::isOffline())
                refreshItem();
        });
    refreshItem();
}

QWidget* stream::buildListPage()
{
    auto* scroll = new QScrollArea(m_pages);
    scroll->setObjectName(QStringLiteral("list_page"));
    scroll->setWidgetResizable(true);
    auto* inner = new QWidget(scroll);
    m_sections = new QVBoxLayout(inner);
    m_sectionsHost = nullptr;
    scroll->setWidget(inner);
    return scroll;
}

QWidget* stream::buildCreatePage()
{
    auto* page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("create_page"));

    m_name = new QLineEdit(page);
    m_name->setObjectName(QStringLiteral("stream_name_le"));
    m_name->setPlaceholderText(tr("若要兼容其他协议，名字不能包含中文"));
    m_name->setMaxLength(DVM_NAME_LEN - 1);

    m_autoRad = new QRadioButton(tr("自动分配"), page);
    m_autoRad->setObjectName(QStringLiteral("auto_rad_bt"));
    m_selfRad = new QRadioButton(tr("自定义"), page);
    m_selfRad->setObjectName(QStringLiteral("byself_rad_bt"));
    m_autoRad->setChecked(true);
    auto* radGroup = new QButtonGroup(page);
    radGroup->addButton(m_autoRad, 0);
    radGroup->addButton(m_selfRad, 1);
    connect(radGroup, &QButtonGroup::idClicked, this, [this] { rad_bt_group_clicked(); });

    auto* ipRow = new QHBoxLayout;
    ipRow->addWidget(new QLabel(QStringLiteral("IP:"), page));
    for (int i = 0; i < 4; ++i) {
        m_ip[i] = new QLineEdit(page);
        m_ip[i]->setObjectName(QStringLiteral("ip_le_%1").arg(i));
        m_ip[i]->setValidator(new QIntValidator(0, 255, m_ip[i]));
        m_ip[i]->setEnabled(false);
        m_ip[i]->setMaximumWidth(60);
        ipRow->addWidget(m_ip[i]);
        if (i < 3)
            ipRow->addWidget(new QLabel(QStringLiteral("."), page));
    }
    m_ip[0]->setText(QStringLiteral("239"));
    m_ip[1]->setText(QStringLiteral("69"));
    m_portLabel = new QLabel(tr("端口："), page);
    m_port = new QLineEdit(QStringLiteral("5004"), page);
    m_port->setObjectName(QStringLiteral("port_le"));
    m_port->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), m_port));
    m_port->setMaximumWidth(80);
    m_port->setEnabled(false);
    ipRow->addWidget(m_portLabel);
    ipRow->addWidget(m_port);
    ipRow->addStretch();

    m_rtpOffset = new QLineEdit(QStringLiteral("0"), page);
    m_rtpOffset->setObjectName(QStringLiteral("le_rtpTsOffset"));
    m_rtpOffset->setValidator(new QIntValidator(0, 10000, m_rtpOffset));
    m_rtpOffset->setMaximumWidth(80);
    auto* rtpRow = new QHBoxLayout;
    rtpRow->addWidget(new QLabel(QStringLiteral("RtpTsOffset(ms): "), page));
    rtpRow->addWidget(m_rtpOffset);
    rtpRow->addStretch();

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(tr("名称："), page));
    nameRow->addWidget(m_name, 1);
    auto* radRow = new QHBoxLayout;
    radRow->addWidget(m_autoRad);
    radRow->addWidget(m_selfRad);
    radRow->addStretch();

    auto* chScroll = new QScrollArea(page);
    chScroll->setWidgetResizable(true);
    m_channelHost = new QWidget(chScroll);
    m_channelLayout = new QVBoxLayout(m_channelHost);
    m_channelLayout->addStretch();
    chScroll->setWidget(m_channelHost);

    auto* creatBt = new QPushButton(tr("创建"), page);
    creatBt->setObjectName(QStringLiteral("creat_bt"));
    connect(creatBt, &QPushButton::clicked, this, &stream::on_creat_bt_clicked);

    auto* left = new QVBoxLayout;
    left->addLayout(nameRow);
    left->addLayout(radRow);
    left->addLayout(ipRow);
    left->addLayout(rtpRow);
    left->addWidget(chScroll, 1);
    left->addWidget(creatBt, 0, Qt::AlignRight);

    m_sendList = new QListWidget(page);
    m_sendList->setObjectName(QStringLiteral("send_listWidget"));
    m_sendList->setSelectionMode(QAbstractItemView::MultiSelection);
    m_totalLabel = new QLabel(page);
    m_totalLabel->setObjectName(QStringLiteral("total_lb"));
    auto* delBt = new QPushButton(tr("删除"), page);
    delBt->setObjectName(QStringLiteral("send_del_bt_1"));
    connect(delBt, &QPushButton::clicked, this, &stream::on_send_del_bt_1_clicked);
    auto* right = new QVBoxLayout;
    right->addWidget(m_totalLabel);
    right->addWidget(m_sendList, 1);
    right->addWidget(delBt, 0, Qt::AlignRight);

    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
    return page;
}

void stream::setQuestionHandler(std::function<bool(const QString&)> handler)
{
    m_ask = std::move(handler);
}

void stream::setInformationHandler(std::function<void(const QString&)> handler)
{
    m_inform = std::move(handler);
}

void stream::setRandomSource(std::function<uint32_t()> random)
{
    m_random = std::move(random);
}

void stream::tip(const QString& text)
{
    emit signal_showTips(text);
}

bool stream::ask(const QString& text)
{
    if (m_ask)
        return m_ask(text);
    return QMessageBox::question(this, tr("提示"), text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void stream::inform(const QString& text)
{
    if (m_inform)
        m_inform(text);
    else
        QMessageBox::information(this, tr("提示"), text);
}

void stream::change_btGroupclicked(int id)
{
    m_pages->setCurrentIndex(id == 1 ? 1 : 0);
    if (QAbstractButton* b = m_pageGroup->button(id))
        b->setChecked(true);
}

void stream::rad_bt_group_clicked()
{
    const bool custom = m_selfRad->isChecked();
    if (custom) {
        inform(
            AppState::pick(QStringLiteral("请确保IP地址和网络上的组播流不冲突\nIP范围：224.0.0.0~239.255.255.255"),
                           QStringLiteral("Make sure the IP does not conflict\nIP range: 224.0.0.0~239.255.255.255")));
    } else {
        m_ip[2]->clear();
        m_ip[3]->clear();
    }
    for (QLineEdit* le : m_ip)
        le->setEnabled(custom);
}

void stream::refreshItem()
{
    copyData();
    createWidget();
}

void stream::addItem()
{
    refreshItem();
}

void stream::removeItem()
{
    refreshItem();
}

void stream::copyData()
{
    qCDebug(lcStream) << "stream::copyData" << m_devId;
    const bool offline = AppState::isOffline();
    const QJsonObject dev = offline ? offlineView(m_design, m_devId).tables : deviceCopy(m_devId);
    const QString firmware = offline ? offlineView(m_design, m_devId).version
                                     : DevDetailStore::instance().getDevDetail(m_devId).firmwareVersion;
    m_tables = dev.value(QStringLiteral("tables")).toObject();

    // The list page is rebuilt whole: the tables may have changed anywhere.
    if (m_sectionsHost)
        m_sectionsHost->deleteLater();
    m_sectionsHost = new QWidget;
    auto* host = new QVBoxLayout(m_sectionsHost);
    host->setContentsMargins(0, 0, 0, 0);
    for (int s = 0; s < StreamTableText::SectionCount; ++s) {
        const auto section = static_cast<StreamTableText::Section>(s);
        auto* title = new QLabel(StreamTableText::title(section), m_sectionsHost);
        title->setStyleSheet(QStringLiteral("font-weight: bold;"));
        host->addWidget(title);
        auto* grid = new QGridLayout;
        const QVector<StreamTableText::Entry> entries = StreamTableText::entries(dev, section);
        for (int i = 0; i < entries.size(); ++i) {
            const StreamTableText::Entry& e = entries.at(i);
            auto* bt = new QPushButton(e.text, m_sectionsHost);
            bt->setObjectName(StreamTableText::objectPrefix(section) + QString::number(e.id));
            bt->setProperty("rtpChId", e.rtpChId);
            bt->setProperty("detail", e.detail);
            bt->installEventFilter(this);
            grid->addWidget(bt, i / kButtonsPerRow, i % kButtonsPerRow);
        }
        host->addLayout(grid);
    }
    host->addStretch();
    m_sections->addWidget(m_sectionsHost);

    const bool portEditable = McastCreateChecks::portEditable(firmware);
    m_port->setEnabled(portEditable);
    m_port->setVisible(portEditable);
    m_portLabel->setVisible(portEditable);
    if (!portEditable)
        m_port->setText(QStringLiteral("5004"));
    fillSendList(dev);
}

void stream::fillSendList(const QJsonObject& device)
{
    m_sendList->clear();
    const QJsonArray tx = device.value(QStringLiteral("tables")).toObject().value(QStringLiteral("mcastTx")).toArray();
    for (const QJsonValue& v : tx) {
        const QJsonObject o = v.toObject();
        const QJsonObject sdp = o.value(QStringLiteral("sdp")).toObject();
        QVector<int> chans;
        for (const QJsonValue& c : o.value(QStringLiteral("srcChIdArr")).toArray()) {
            if (c.toInt(-1) >= 0)
                chans.append(c.toInt());
        }
        auto* form =
            new FormMcast(o.value(QStringLiteral("name")).toString(), sdp.value(QStringLiteral("dstIp")).toString(),
                          sdp.value(QStringLiteral("dstPort")).toInt(), chans);
        auto* item = new QListWidgetItem(m_sendList);
        item->setSizeHint(form->sizeHint());
        m_sendList->setItemWidget(item, form);
    }
    m_totalLabel->setText(tr("组播流总数：") + QString::number(tx.size()));
}

void stream::createWidget()
{
    qCDebug(lcStream) << "stream::createWidget" << m_devId;
    int count = 0;
    QStringList names;
    if (AppState::isOffline()) {
        const OfflineView v = offlineView(m_design, m_devId);
        count = v.chNumTx;
        names = v.txNames;
    } else {
        DevHeader hdr;
        count = dvm_copyDevHeader(findDevById(m_devId.toUtf8().constData()), &hdr) ? dvm_clampCount(hdr.chNumTx) : 0;
        names = DevDetailStore::instance().getDevDetail(m_devId).txChNames;
    }
    // Keep the ticks the user made unless the channel count itself changed.
    if (count == m_channels.size())
        return;
    qDeleteAll(m_channels);
    m_channels.clear();
    for (int ch = 0; ch < count; ++ch) {
        auto* f = new FormStream(ch, ch < names.size() ? names.at(ch) : QStringLiteral("NetOut%1").arg(ch + 1),
                                 m_channelHost);
        connect(f, &FormStream::toggled, this, &stream::onToggled);
        m_channelLayout->insertWidget(m_channelLayout->count() - 1, f);
        m_channels.append(f);
    }
}

void stream::onToggled(bool checked)
{
    Q_UNUSED(checked)
    int n = 0;
    for (FormStream* f : m_channels)
        n += f->isChecked() ? 1 : 0;
    qCDebug(lcStream) << "selected channels" << n;
}

void stream::on_creat_bt_clicked()
{
    QStringList names;
    for (FormStream* f : m_channels) {
        if (f->isChecked())
            names << f->checkBox()->objectName();
    }
    const QVector<int> channels = McastCreateChecks::channelsFromNames(names);
    switch (McastCreateChecks::checkNameAndChannels(m_name->text(), channels)) {
    case McastCreateChecks::EmptyName:
        tip(tr("组播流名称不能为空"));
        return;
    case McastCreateChecks::NoChannel:
        tip(tr("至少选中一个通道加入组播流"));
        return;
    case McastCreateChecks::TooManyChannels:
        inform(AppState::pick(QStringLiteral("单个组播流最多支持8个通道"),
                              QStringLiteral("A single multicast stream supports up to 8 channels maximum")));
        return;
    default:
        break;
    }
    if (AppState::isOffline()) {
        createOffline(channels);
        return;
    }

    McastCreateChecks::Device dev;
    if (!McastTxFacts::device(m_devId, DevDetailStore::instance(), &dev))
        return;
    const McastCreateChecks::Outcome out =
        McastCreateChecks::evaluate(creationInput(channels), dev, McastCreateChecks::addressesInUse(), randomSource());
    if (out.failure == McastCreateChecks::None)
        emit sendChangeData(ReplyFields::compact(out.request));
    else
        showCheckFailure(out.failure);
}

void stream::showCheckFailure(int failure)
{
    switch (failure) {
    case McastCreateChecks::WrongIp:
        tip(AppState::pick(QStringLiteral("请输入正确的IP, 范围: 224.0.0.0~239.255.255.255"),
                           QStringLiteral("Wrong IP, range: 224.0.0.0~239.255.255.255")));
        return;
    case McastCreateChecks::WrongPort:
        tip(AppState::pick(QStringLiteral("请输入正确的端口，范围: 1024~65534"),
                           QStringLiteral("Wrong Port, range: 1024~65534")));
        return;
    case McastCreateChecks::IpNotFilled:
        tip(tr("请输入正确的ip"));
        return;
    case McastCreateChecks::PortNotFilled:
        tip(tr("请输入端口号"));
        return;
    case McastCreateChecks::NoFreeAddress:
        tip(tr("没有可用的组播地址"));
        return;
    default:
        return;
    }
}

std::function<uint32_t()> stream::randomSource() const
{
    if (m_random)
        return m_random;
    return [] { return QRandomGenerator::global()->generate(); };
}

McastCreateChecks::Input stream::creationInput(const QVector<int>& channels) const
{
    McastCreateChecks::Input in;
    in.name = m_name->text();
    in.channels = channels;
    in.automatic = m_autoRad->isChecked();
    for (int i = 0; i < 4; ++i)
        in.ip[i] = m_ip[i]->text();
    in.port = m_port->text();
    in.rtpOffsetMs = m_rtpOffset->text();
    return in;
}

void stream::createOffline(const QVector<int>& channels)
{
    if (!m_design)
        return;
    const OfflineMcastEdit::Outcome out =
        OfflineMcastEdit::create(*m_design, m_devId, creationInput(channels), randomSource());
    switch (out.failure) {
    case OfflineMcastEdit::None:
        m_name->clear();
        tip(tr("创建成功"));
        emit signal_mcast();
        return;
    case OfflineMcastEdit::Checks:
        showCheckFailure(out.check);
        return;
    case OfflineMcastEdit::NameTaken:
        tip(tr("名字不能重复"));
        return;
    case OfflineMcastEdit::AddressConflict:
        tip(AppState::pick(QStringLiteral("组播地址与网络中存在的冲突"),
                           QStringLiteral("The multicast address conflict with the existing network")));
        return;
    case OfflineMcastEdit::ChannelLimit:
        tip(tr("达到流上限"));
        return;
    case OfflineMcastEdit::StreamLimit:
        tip(tr("达到组播上限"));
        return;
    case OfflineMcastEdit::NoDevice:
    case OfflineMcastEdit::Refused:
        tip(tr("创建失败"));
        return;
    }
}

void stream::deleteOffline(const QStringList& addresses)
{
    if (!m_design || OfflineMcastEdit::remove(*m_design, m_devId, addresses) == 0)
        return;
    refreshItem();
    tip(tr("删除成功"));
    emit signal_mcast();
}

void stream::on_send_del_bt_1_clicked()
{
    const QList<QListWidgetItem*> selected = m_sendList->selectedItems();
    if (selected.isEmpty()) {
        tip(tr("请选择要删除的组播"));
        return;
    }
    if (!ask(tr("删除组播流？")))
        return;
    if (AppState::isOffline()) {
        QStringList addresses;
        for (QListWidgetItem* item : selected) {
            if (auto* form = qobject_cast<FormMcast*>(m_sendList->itemWidget(item)))
                addresses << form->address();
        }
        deleteOffline(addresses);
        return;
    }

    const QVector<McastTxFacts::TxStream> tx = McastTxFacts::txStreams(m_devId);
    int queued = 0;
    for (QListWidgetItem* item : selected) {
        auto* form = qobject_cast<FormMcast*>(m_sendList->itemWidget(item));
        if (!form)
            continue;
        const QString address = form->address();
        for (const McastTxFacts::TxStream& s : tx) {
            if (s.dstIp != address)
                continue;
            const QJsonObject request = McastTxFacts::deleteRequest(m_devId, s);
            const QString dstIp = request.value(QStringLiteral("dstIp")).toString();
            m_sendQueue << ReplyFields::compact(request);
            if (!m_pendingDel.contains(dstIp))
                m_pendingDel << dstIp;
            ++queued;
            break;
        }
    }
    if (queued == 0)
        return;
    m_delFailed = false;
    sendNextDeletion();
}

void stream::sendNextDeletion()
{
    if (m_sendQueue.isEmpty())
        return;
    emit sendChangeData(m_sendQueue.takeFirst());
    // Devices drop requests that arrive back to back; space them out.
    if (!m_sendQueue.isEmpty())
        QTimer::singleShot(kDeleteSpacingMs, this, &stream::sendNextDeletion);
}

bool stream::replyIsOurs(const QJsonObject& obj) const
{
    const QString devId = ReplyFields::text(obj, "devId");
    if (!devId.isEmpty())
        return devId == m_devId;
    const QString remote = ReplyFields::text(obj, "remoteIp");
    if (remote.isEmpty())
        return true;
    const uint32_t ip = DevDetailStore::instance().getDevDetail(m_devId).ip;
    return ip == 0 || dvm_parseIp(remote) == ip;
}

void stream::refreshData(QString msg)
{
    if (msg == QLatin1String("refreshRoute")) {
        // Route notices come for every device; rebuild (losing the selection) only when ours changed.
        if (deviceCopy(m_devId).value(QStringLiteral("tables")).toObject() != m_tables)
            refreshItem();
        return;
    }
    // Every reply of the device passes here (level polls among them): parse only the kinds this view follows.
    static const char* const kFollowed[] = {"setMcastTx", "setUcastRx", "setMcastRx", "clrMcastTx", "clrRxCh"};
    if (std::none_of(std::begin(kFollowed), std::end(kFollowed),
                     [&msg](const char* ops) { return msg.contains(QLatin1String(ops)); }))
        return;
    const QJsonObject obj = QJsonDocument::fromJson(msg.toUtf8()).object();
    const QString ops = ReplyFields::text(obj, "ops");
    if (ops.isEmpty() || !replyIsOurs(obj))
        return;
    const bool succ = ReplyFields::succeeded(obj);
    const QString reason = ReasonText::forReason(ReplyFields::text(obj, "reason"), AppState::isChinese());

    if (ops == QLatin1String("setMcastTx")) {
        if (!succ) {
            tip(reason);
            return;
        }
        refreshItem();
        m_name->clear();
        tip(tr("创建成功"));
    } else if (ops == QLatin1String("setUcastRx") || ops == QLatin1String("setMcastRx")) {
        if (!succ) {
            tip(tr("创建失败"));
            return;
        }
        bool ok = false;
        const int ch = ReplyFields::text(obj, "dstChId").toInt(&ok);
        // The device's route notice follows its reply; give it time to reach the registry.
        QPointer<stream> self(this);
        QTimer::singleShot(kRouteSettleMs, this, [self, ch, ok] {
            if (!self)
                return;
            DevRecord* rec = findDevById(self->m_devId.toUtf8().constData());
            if (ok && rec && ch >= 0 && ch < DVM_TABLE_SIZE) {
                if (auto* bt = self->findChild<QPushButton*>(QStringLiteral("listinfo_rxIdArr_%1").arg(ch))) {
                    const int rtp = rec->tables.rxChMap(ch);
                    bt->setText(StreamTableText::rxChText(ch, rtp));
                    bt->setProperty("rtpChId", rtp);
                }
            }
            self->tip(tr("设置成功"));
        });
    } else if (ops == QLatin1String("clrMcastTx")) {
        const QString dstIp = decimalIp(ReplyFields::text(obj, "dstIp"));
        if (!succ)
            tip(reason);
        // Only deletions started here count; a failed one must not end in a success notice.
        if (!m_pendingDel.removeOne(dstIp))
            return;
        m_delFailed |= !succ;
        if (m_pendingDel.isEmpty()) {
            refreshItem();
            if (!m_delFailed)
                tip(tr("删除成功"));
        }
    } else if (ops == QLatin1String("clrRxCh")) {
        if (!succ) {
            tip(reason);
            return;
        }
        const int ch = ReplyFields::text(obj, "dstChId").toInt();
        if (auto* bt = findChild<QPushButton*>(QStringLiteral("listinfo_rxIdArr_%1").arg(ch))) {
            bt->setText(StreamTableText::rxChText(ch, -1));
            bt->setProperty("rtpChId", -1);
        }
        tip(tr("删除成功"));
    }
}

void stream::refreshLock()
{
    qCDebug(lcStream) << "stream::refreshLock" << m_devId;
    m_locks->apply(DevDetailStore::instance().getDevDetail(m_devId).detailLock);
    if (m_locks->level() == 2 && m_locks->transparent())
        m_locks->transparent()->raise();
}

bool stream::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* bt = qobject_cast<QPushButton*>(watched)) {
            onButtonAction(bt);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void stream::onButtonAction(QWidget* button)
{
    int id = -1;
    const StreamTableText::Section section = StreamTableText::sectionOfObject(button->objectName(), &id);
    if (section == StreamTableText::SectionCount || section == StreamTableText::RtpCh)
        return;
    if (section == StreamTableText::RxCh) {
        if (AppState::isOffline())
            return; // routes of a design are made on the matrix
        if (button->property("rtpChId").toInt() < 0) {
            if (m_routeForm)
                m_routeForm->close();
            m_routeForm = new FormStreamRoute(this);
            m_routeForm->setAttribute(Qt::WA_DeleteOnClose);
            m_routeForm->setDstChId(id);
            connect(m_routeForm, &FormStreamRoute::signal_create, this, &stream::on_routeWidget_create);
            m_routeForm->show();
            return;
        }
        if (ask(tr("删除通道路由？")))
            emit sendChangeData(ReplyFields::compact(
                QJsonObject{{"ops", QStringLiteral("clrRxCh")}, {"devId", m_devId}, {"dstChId", QString::number(id)}}));
        return;
    }
    auto* dlg = new ShowStreamInfoDialog(this);
    dlg->setText(button->property("detail").toString());
    dlg->move(button->mapToGlobal(QPoint(button->width(), 0)));
    dlg->show();
}

void stream::on_routeWidget_create()
{
    qCDebug(lcStream) << "stream::on_routeWidget_create" << m_devId;
    FormStreamRoute* form = m_routeForm;
    if (!form)
        return;
    const QString error = form->validate();
    if (!error.isEmpty()) {
        tip(error);
        return;
    }
    // A route by hand is a datagram to a live device; the design has no device to send it to.
    if (AppState::isOffline())
        return;
    DevHeader hdr;
    if (!dvm_copyDevHeader(findDevById(m_devId.toUtf8().constData()), &hdr))
        return;
    QJsonObject req;
    if (form->mode() == FormStreamRoute::Unicast) {
        req = QJsonObject{{"ops", QStringLiteral("setUcastRx")},
                          {"srcDevId", form->ucastDevId()},
                          {"srcChId", form->ucastSrcChId()},
                          {"dstChId", form->ucastDstChId()}};
    } else {
        const QJsonObject sdp{{"srcIp", QStringLiteral("255.255.255.255")},
                              {"dstIp", form->mcastDstIp()},
                              {"dstPort", form->mcastDstPort()},
                              {"rtpTsOffset", form->mcastRtp()},
                              {"chNum", form->mcastChNum()},
                              {"sampleByteNum", form->mcastSample()}};
        req = QJsonObject{{"ops", QStringLiteral("setMcastRx")},
                          {"sdp", sdp},
                          {"srcChId", form->mcastSrcChId()},
                          {"dstChId", form->mcastDstChId()}};
    }
    const QByteArray data = QJsonDocument(req).toJson(QJsonDocument::Compact);
    if (!DeviceSender::send(data, hdr.ip, kRoutePort)) {
        // Not sent (no network): keep the form and its entries so the user can try again.
        tip(tr("创建失败"));
        return;
    }
    form->close();
}

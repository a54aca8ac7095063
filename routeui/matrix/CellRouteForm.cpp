#include "CellRouteForm.h"

#include "AppState.h"
#include "AxisStrip.h"
#include "CellGraphicsScene.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "MatrixWindowItem.h"
#include "ModelTable.h"
#include "RegistryRouteSource.h"
#include "RouteFacts.h"
#include "UiScale.h"

#include <QEvent>
#include <QGraphicsView>
#include <QGridLayout>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cstring>

Q_LOGGING_CATEGORY(lcMatrix, "meridane.matrix")

namespace {
quint64 key(int a, int b)
{
    return (static_cast<quint64>(static_cast<quint32>(a)) << 32) | static_cast<quint32>(b);
}
} // namespace

CellRouteForm::CellRouteForm(QWidget* parent, std::unique_ptr<RouteSource> source)
    : QWidget(parent), m_source(std::move(source))
{
    if (!m_source)
        m_source.reset(new RegistryRouteSource);
    qRegisterMetaType<uint32_t>("uint32_t");
    m_size = qMax(4, UiScale::px(16));
    buildUi();
    resetData();
}

CellRouteForm::~CellRouteForm()
{
    // The scene's teardown moves the scroll bars; nothing of the form may react once members go.
    m_view->verticalScrollBar()->disconnect(this);
    m_view->horizontalScrollBar()->disconnect(this);
    m_view->viewport()->removeEventFilter(this);
    m_scene->disconnect(this);
    delete m_view;
    delete m_scene;
}

void CellRouteForm::buildUi()
{
    setObjectName(QStringLiteral("CellRouteForm"));
    m_scene = new CellGraphicsScene(this);
    m_item = new MatrixWindowItem(&m_window, m_size);
    m_scene->addItem(m_item);
    m_view = new QGraphicsView(m_scene, this);
    m_view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_view->setMouseTracking(true);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setBackgroundBrush(QColor(0x1A, 0x1B, 0x1F));
    m_view->viewport()->installEventFilter(this);

    m_sendStrip = new AxisStrip(Qt::Vertical, &m_rows, &m_sendExpanded, this);
    m_recvStrip = new AxisStrip(Qt::Horizontal, &m_cols, &m_recvExpanded, this);
    m_sendStrip->setObjectName(QStringLiteral("send_strip"));
    m_recvStrip->setObjectName(QStringLiteral("recv_strip"));
    m_sendStrip->setFixedWidth(UiScale::px(200));
    m_recvStrip->setFixedHeight(UiScale::px(120));
    m_sendStrip->setCellSize(m_size);
    m_recvStrip->setCellSize(m_size);

    m_pbSendList = new QPushButton(this);
    m_pbSendList->setObjectName(QStringLiteral("pb_sendList"));
    m_pbRecvList = new QPushButton(this);
    m_pbRecvList->setObjectName(QStringLiteral("pb_recvList"));
    m_findOut = new QLineEdit(this);
    m_findOut->setObjectName(QStringLiteral("find_outCh_le"));
    m_findIn = new QLineEdit(this);
    m_findIn->setObjectName(QStringLiteral("find_InCh_le"));

    auto* corner = new QWidget(this);
    corner->setObjectName(QStringLiteral("matrix_corner"));
    // The corner sits between the dark strips: same colours, and a font sized like theirs so that the
    // three-line receive button and the search boxes fit the fixed corner at every scale.
    corner->setStyleSheet(QStringLiteral("QWidget#matrix_corner { background: #1A1B1F; }"
                                         "QLineEdit, QPushButton { background: #2A2C33; color: #D8D8D8;"
                                         " border: 1px solid #3C3F48; border-radius: 2px; font-size: %1px; }"
                                         "QPushButton:hover { background: #353842; }")
                              .arg(UiScale::fontPx(11)));
    corner->setAttribute(Qt::WA_StyledBackground, true);
    m_pbRecvList->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    auto* cornerLayout = new QGridLayout(corner);
    cornerLayout->setContentsMargins(2, 2, 2, 2);
    cornerLayout->setSpacing(2);
    cornerLayout->addWidget(m_findIn, 0, 1);
    cornerLayout->addWidget(m_pbRecvList, 1, 1, 2, 1);
    cornerLayout->addWidget(m_findOut, 1, 0);
    cornerLayout->addWidget(m_pbSendList, 2, 0);
    corner->setFixedSize(m_sendStrip->width(), m_recvStrip->height());

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(corner, 0, 0);
    grid->addWidget(m_recvStrip, 0, 1);
    grid->addWidget(m_sendStrip, 1, 0);
    grid->addWidget(m_view, 1, 1);

    connect(m_scene, &CellGraphicsScene::signal_mousePressed, this, &CellRouteForm::slot_cellSceneMousePressed);
    connect(m_scene, &CellGraphicsScene::signal_mouseMoved, this, &CellRouteForm::slot_cellSceneMouseMoved);
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &CellRouteForm::slipUpOrDown);
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &CellRouteForm::slipUpOrDown);
    connect(m_view->verticalScrollBar(), &QScrollBar::rangeChanged, this, &CellRouteForm::slipUpOrDown);
    connect(m_view->horizontalScrollBar(), &QScrollBar::rangeChanged, this, &CellRouteForm::slipUpOrDown);
    connect(m_pbSendList, &QPushButton::clicked, this, &CellRouteForm::on_pb_sendList_clicked);
    connect(m_pbRecvList, &QPushButton::clicked, this, &CellRouteForm::on_pb_recvList_clicked);
    connect(m_sendStrip, &AxisStrip::signal_toggle, this, &CellRouteForm::slot_toggleSend);
    connect(m_recvStrip, &AxisStrip::signal_toggle, this, &CellRouteForm::slot_toggleRecv);
    connect(m_sendStrip, &AxisStrip::signal_doubleClicked, this, &CellRouteForm::slot_sendDoubleClicked);
    connect(m_recvStrip, &AxisStrip::signal_doubleClicked, this, &CellRouteForm::slot_recvDoubleClicked);
    m_blinkTimer = new QTimer(this);
    m_blinkTimer->setInterval(kBlinkMs);
    connect(m_blinkTimer, &QTimer::timeout, this, &CellRouteForm::flipBlink);
    m_sendStrip->setBlinking(&m_blinking);
    m_recvStrip->setBlinking(&m_blinking);
    connect(m_findOut, &QLineEdit::returnPressed, this, [this] { findItem(true); });
    connect(m_findIn, &QLineEdit::returnPressed, this, [this] { findItem(false); });
    connect(m_findOut, &QLineEdit::textEdited, this, [this] { findItem(true); });
    connect(m_findIn, &QLineEdit::textEdited, this, [this] { findItem(false); });
    retranslate();
}

QString CellRouteForm::sendListTitle() const
{
    bool all = m_rows.size() > 0;
    for (int p : m_rows.headerPositions())
        all = all && m_sendExpanded.contains(m_rows.at(p).id);
    return (all ? QStringLiteral("- ") : QStringLiteral("+ ")) +
           AppState::pick(QStringLiteral("发送设备"), QStringLiteral("SendList"));
}

QString CellRouteForm::recvListTitle() const
{
    bool all = m_cols.size() > 0;
    for (int p : m_cols.headerPositions())
        all = all && m_recvExpanded.contains(m_cols.at(p).id);
    return (all ? QStringLiteral("- ") : QStringLiteral("+ ")) +
           AppState::pick(QStringLiteral("\n接收\n设备"), QStringLiteral("\nRecv\nList"));
}

void CellRouteForm::retranslate()
{
    m_pbSendList->setText(sendListTitle());
    m_pbRecvList->setText(recvListTitle());
    m_findOut->setPlaceholderText(tr("Find sender"));
    m_findIn->setPlaceholderText(tr("Find receiver"));
}

void CellRouteForm::resetData()
{
    m_source->buildAxes(&m_rows, &m_cols);
    qCDebug(lcMatrix) << "CellRouteForm resetData rows" << m_rows.size() << "columns" << m_cols.size();
    // The routes first: a new scene size moves the scroll bars, whose signals redraw the window at once, and
    // the window reads the route lookup of the new axes.
    m_pending.clear();
    buildLookup();
    m_scene->setSceneRect(0, 0, m_cols.size() * m_size, m_rows.size() * m_size);
    retranslate();
    m_sendStrip->update();
    m_recvStrip->update();
    refreshWindow();
}

void CellRouteForm::refreshRoute()
{
    m_pending.clear();
    buildLookup();
    refreshWindow();
}

void CellRouteForm::buildLookup()
{
    std::vector<RouteEntry> routes;
    m_source->collectRoutes(&routes, &m_routePairs);
    m_colSource.fill(-1, m_cols.size());
    m_rowToRecvHeader.clear();
    // Routes arrive grouped by receiver and mostly by sender: look each header up once per run.
    QString lastSend, lastRecv;
    int sendHeader = -1, recvHeader = -1;
    for (const RouteEntry& r : routes) {
        if (r.sendChannel < 1 || r.recvChannel < 1)
            continue;
        if (r.sendId != lastSend || lastSend.isNull()) {
            lastSend = r.sendId;
            sendHeader = m_rows.headerOf(r.sendId);
        }
        if (r.recvId != lastRecv || lastRecv.isNull()) {
            lastRecv = r.recvId;
            recvHeader = m_cols.headerOf(r.recvId);
        }
        if (sendHeader < 0 || recvHeader < 0)
            continue;
        const int row = sendHeader + r.sendChannel;
        const int col = recvHeader + r.recvChannel;
        if (!m_rows.isValid(row) || m_rows.at(row).channel != r.sendChannel || m_rows.at(row).id != r.sendId ||
            !m_cols.isValid(col) || m_cols.at(col).channel != r.recvChannel || m_cols.at(col).id != r.recvId)
            continue;
        m_colSource[col] = row;
        m_rowToRecvHeader.insert(key(row, col - r.recvChannel));
    }
}

MatrixWindow::Span CellRouteForm::wantedRows() const
{
    return MatrixWindow::span(m_rows.size(), m_view->verticalScrollBar()->value(), m_view->viewport()->height(), m_size,
                              MatrixWindow::kMaxRows);
}

MatrixWindow::Span CellRouteForm::wantedCols() const
{
    return MatrixWindow::span(m_cols.size(), m_view->horizontalScrollBar()->value(), m_view->viewport()->width(),
                              m_size, MatrixWindow::kMaxCols);
}

void CellRouteForm::refreshWindow()
{
    // The window always covers what the view shows, whatever its size, and no more than the blocks around it.
    const MatrixWindow::Span rowSpan = wantedRows();
    const MatrixWindow::Span colSpan = wantedCols();
    const int row0 = rowSpan.first;
    const int rows = rowSpan.count;
    const int col0 = colSpan.first;
    const int cols = colSpan.count;
    const int hoverRow = m_window.hoverRow;
    const int hoverCol = m_window.hoverCol;
    m_window.reset(row0, rows, col0, cols);
    m_window.hoverRow = hoverRow;
    m_window.hoverCol = hoverCol;

    for (int r = row0; r < row0 + rows; ++r) {
        const AxisItem& ri = m_rows.at(r);
        const bool rowOpen = m_sendExpanded.contains(ri.id);
        for (int c = col0; c < col0 + cols; ++c) {
            const AxisItem& ci = m_cols.at(c);
            WindowCell& cell = *m_window.at(r, c);
            cell.expanded = rowOpen || m_recvExpanded.contains(ci.id);
            if (ri.channel != 0 && ci.channel != 0) {
                cell.kind = WindowCell::Route;
                cell.checked = m_colSource.at(c) == r;
                cell.state = cell.checked ? 2 : 0;
                cell.checking = !cell.checked && m_pending.contains(key(r, c));
            } else if (ri.channel == 0 && ci.channel == 0) {
                cell.kind = WindowCell::Headers;
                cell.pairRouted = m_routePairs.contains(qMakePair(ri.id, ci.id));
            } else if (ri.channel == 0) {
                cell.kind = WindowCell::Gray;
                const int src = m_colSource.at(c);
                cell.checked = src > r && src <= r + m_rows.channelCount(r) && m_rows.at(src).id == ri.id;
            } else {
                cell.kind = WindowCell::Gray;
                cell.checked = m_rowToRecvHeader.contains(key(r, c));
            }
        }
    }
    m_item->windowChanged();
}

QString CellRouteForm::cellTag(int row, int col, int key) const
{
    const WindowCell* cell = m_window.at(row, col);
    if (cell == nullptr)
        return QString();
    switch (key) {
    case 0:
        return cell->kind == WindowCell::Route ? QStringLiteral("route") : QString();
    case 1:
        return cell->checking ? QStringLiteral("checking") : QString();
    case 2:
        return cell->kind == WindowCell::Route && cell->checked ? QStringLiteral("checked") : QString();
    case 3:
        return cell->kind == WindowCell::Gray ? QStringLiteral("gray") : QString();
    case 111:
        return cell->kind == WindowCell::Headers && cell->expanded ? QStringLiteral("decrease") : QString();
    case 222:
        return cell->kind == WindowCell::Headers && !cell->expanded ? QStringLiteral("increase") : QString();
    default:
        return QString();
    }
}

void CellRouteForm::slipUpOrDown()
{
    const int v = m_view->verticalScrollBar()->value();
    const int h = m_view->horizontalScrollBar()->value();
    m_sendStrip->setOffset(v);
    m_recvStrip->setOffset(h);
    const MatrixWindow::Span rowSpan = wantedRows();
    const MatrixWindow::Span colSpan = wantedCols();
    if (rowSpan.first != m_window.row0 || rowSpan.count != m_window.rows || colSpan.first != m_window.col0 ||
        colSpan.count != m_window.cols)
        refreshWindow();
}

void CellRouteForm::scrollToRow(int row)
{
    m_view->verticalScrollBar()->setValue(row * m_size);
    slipUpOrDown();
}

void CellRouteForm::scrollToColumn(int col)
{
    m_view->horizontalScrollBar()->setValue(col * m_size);
    slipUpOrDown();
}

void CellRouteForm::setDeviceBlinking(const QString& devId, bool on)
{
    // The requests come from the network: a flood of made-up devIds must not grow the set without end.
    static constexpr int kMaxBlinking = 1024;
    if (on && !m_blinking.contains(devId) && m_blinking.size() >= kMaxBlinking)
        return;
    if (on)
        m_blinking.insert(devId);
    else
        m_blinking.remove(devId);
    if (m_blinking.isEmpty()) {
        m_blinkTimer->stop();
        m_blinkLit = false;
    } else if (!m_blinkTimer->isActive()) {
        // Lit at once, so a short request is seen before the first flip.
        m_blinkTimer->start();
        m_blinkLit = true;
    }
    m_sendStrip->setBlinkPhase(m_blinkLit);
    m_recvStrip->setBlinkPhase(m_blinkLit);
    m_sendStrip->update();
    m_recvStrip->update();
}

void CellRouteForm::flipBlink()
{
    m_blinkLit = !m_blinkLit;
    m_sendStrip->setBlinkPhase(m_blinkLit);
    m_recvStrip->setBlinkPhase(m_blinkLit);
}

void CellRouteForm::findItem(bool send)
{
    const MatrixAxis& axis = send ? m_rows : m_cols;
    const int pos = axis.find(send ? m_findOut->text() : m_findIn->text());
    if (pos < 0)
        return;
    if (send)
        scrollToRow(pos);
    else
        scrollToColumn(pos);
}

void CellRouteForm::on_pb_sendList_clicked()
{
    const bool collapse = sendListTitle().startsWith(QLatin1Char('-'));
    for (int p : m_rows.headerPositions()) {
        if (collapse)
            m_sendExpanded.remove(m_rows.at(p).id);
        else
            m_sendExpanded.insert(m_rows.at(p).id);
    }
    resetData();
}

void CellRouteForm::on_pb_recvList_clicked()
{
    const bool collapse = recvListTitle().startsWith(QLatin1Char('-'));
    for (int p : m_cols.headerPositions()) {
        if (collapse)
            m_recvExpanded.remove(m_cols.at(p).id);
        else
            m_recvExpanded.insert(m_cols.at(p).id);
    }
    resetData();
}

void CellRouteForm::slot_addDev()
{
    resetData();
}

void CellRouteForm::slot_delDev()
{
    resetData();
}

void CellRouteForm::slot_toggleSend(int pos)
{
    if (!m_rows.isValid(pos))
        return;
    const QString id = m_rows.at(pos).id;
    if (!m_sendExpanded.remove(id))
        m_sendExpanded.insert(id);
    resetData();
}

void CellRouteForm::slot_toggleRecv(int pos)
{
    if (!m_cols.isValid(pos))
        return;
    const QString id = m_cols.at(pos).id;
    if (!m_recvExpanded.remove(id))
        m_recvExpanded.insert(id);
    resetData();
}

void CellRouteForm::slot_sendDoubleClicked(int pos)
{
    if (!m_rows.isValid(pos) || m_rows.at(pos).channel != 0)
        return;
    const AxisItem& item = m_rows.at(pos);
    if (!item.multicast)
        emit signal_showDevWindow(item.id);
    else if (AppState::isOffline())
        emit signal_showOfflineMcastWindow(item.id);
    else
        emit signal_showMcastWindow(dvm_parseIp(item.id));
}

void CellRouteForm::slot_recvDoubleClicked(int pos)
{
    if (m_cols.isValid(pos) && m_cols.at(pos).channel == 0)
        emit signal_showDevWindow(m_cols.at(pos).id);
}

void CellRouteForm::setRouteSource(std::unique_ptr<RouteSource> source)
{
    m_source = source ? std::move(source) : std::make_unique<RegistryRouteSource>();
    m_sendExpanded.clear();
    m_recvExpanded.clear();
    resetData();
}

void CellRouteForm::slot_cellSceneMousePressed(int x, int y)
{
    if (x < 0 || y < 0)
        return;
    const int row = y / m_size;
    const int col = x / m_size;
    if (!m_rows.isValid(row) || !m_cols.isValid(col))
        return;
    const AxisItem& ri = m_rows.at(row);
    const AxisItem& ci = m_cols.at(col);
    if (ri.channel == 0 && ci.channel == 0) {
        if (!m_sendExpanded.contains(ri.id) && !m_recvExpanded.contains(ci.id)) {
            m_sendExpanded.insert(ri.id);
            m_recvExpanded.insert(ci.id);
        } else {
            m_sendExpanded.remove(ri.id);
            m_recvExpanded.remove(ci.id);
        }
        resetData();
        return;
    }
    if (ri.channel == 0 || ci.channel == 0)
        return;
    if (AppState::isOffline()) {
        if (m_offlineClick && m_offlineClick(ri, ci))
            refreshRoute();
        return;
    }
    clickConnectable(row, col);
}

void CellRouteForm::clickConnectable(int row, int col)
{
    const WindowCell* cell = m_window.at(row, col);
    if (cell == nullptr)
        return;
    const WindowCell copy = *cell;
    if (m_rows.at(row).multicast)
        clickMulticast(row, col, copy);
    else
        clickUnicast(row, col, copy);
}

namespace {
RouteFacts::Cell cellFacts(const AxisItem& ri, const AxisItem& ci, const WindowCell& cell)
{
    RouteFacts::Cell c;
    c.multicast = ri.multicast;
    c.sendId = ri.id;
    c.sendChannel = ri.channel;
    c.recvId = ci.id;
    c.recvChannel = ci.channel;
    c.routed = cell.state == 2;
    return c;
}
} // namespace

void CellRouteForm::clickUnicast(int row, int col, const WindowCell& cell)
{
    const RouteFacts::Cell c = cellFacts(m_rows.at(row), m_cols.at(col), cell);
    const RouteFacts::Gathered g = RouteFacts::gather(c, AppState::isChinese(), DevDetailStore::instance());
    const RouteClickChecks::Plan plan = RouteClickChecks::plan(g.facts);
    if (!runPlan(plan))
        return;
    emit signal_sendUdp(RouteFacts::request(c, g, plan.request), c.recvId);
    markPending(row, col);
}

void CellRouteForm::clickMulticast(int row, int col, const WindowCell& cell)
{
    const RouteFacts::Cell c = cellFacts(m_rows.at(row), m_cols.at(col), cell);
    const RouteFacts::Gathered g = RouteFacts::gather(c, AppState::isChinese(), DevDetailStore::instance());
    const RouteClickChecks::Plan plan = RouteClickChecks::plan(g.facts);
    if (!runPlan(plan))
        return;
    const QString request = RouteFacts::request(c, g, plan.request);
    if (plan.request == RouteClickChecks::Request::SetMcastRx)
        qCInfo(lcMatrix) << "proAddRecvMcast" << request << c.recvId;
    emit signal_sendUdp(request, c.recvId);
    markPending(row, col);
}

bool CellRouteForm::runPlan(const RouteClickChecks::Plan& plan)
{
    for (const RouteClickChecks::Step& step : plan.steps) {
        const bool ask = step.kind == RouteClickChecks::Step::Ask;
        if (!prompt(ask, step.text) || !ask)
            return false;
    }
    return plan.sends();
}

bool CellRouteForm::prompt(bool ask, const QString& text)
{
    if (m_prompter)
        return m_prompter(ask, text);
    if (!ask) {
        QMessageBox::information(this, tr("Information"), text);
        return true;
    }
    return QMessageBox::question(this, tr("Question"), text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void CellRouteForm::markPending(int row, int col)
{
    m_pending.insert(key(row, col));
    if (WindowCell* cell = m_window.at(row, col)) {
        cell->checking = true;
        cell->checked = false;
    }
    m_item->update();
}

void CellRouteForm::slot_cellSceneMouseMoved(int x, int y)
{
    const int row = y >= 0 ? y / m_size : -1;
    const int col = x >= 0 ? x / m_size : -1;
    if (!m_rows.isValid(row) || !m_cols.isValid(col)) {
        clearHover();
        return;
    }
    if (row == m_window.hoverRow && col == m_window.hoverCol)
        return;
    updateCross(m_window.hoverRow, m_window.hoverCol);
    m_window.hoverRow = row;
    m_window.hoverCol = col;
    updateCross(row, col);
    m_sendStrip->setHighlight(row);
    m_recvStrip->setHighlight(col);
    m_hoverTip = m_rows.label(row) + QStringLiteral("->") + m_cols.label(col);
    m_item->setToolTip(m_hoverTip);
}

void CellRouteForm::updateCross(int row, int col)
{
    // Only the hovered row and column change: repainting the whole window would cost a frame per move.
    const QRectF area = m_item->boundingRect();
    if (row >= 0)
        m_item->update(QRectF(area.left(), row * m_size, area.width(), m_size));
    if (col >= 0)
        m_item->update(QRectF(col * m_size, area.top(), m_size, area.height()));
}

void CellRouteForm::clearHover()
{
    if (m_window.hoverRow < 0 && m_window.hoverCol < 0)
        return;
    updateCross(m_window.hoverRow, m_window.hoverCol);
    m_window.hoverRow = -1;
    m_window.hoverCol = -1;
    m_sendStrip->setHighlight(-1);
    m_recvStrip->setHighlight(-1);
    m_hoverTip.clear();
    m_item->setToolTip(QString());
}

bool CellRouteForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Leave)
        clearHover();
    // A larger view (a portrait screen, a window over two screens) shows more cells: the window grows with it.
    if (watched == m_view->viewport() && event->type() == QEvent::Resize)
        slipUpOrDown();
    return QWidget::eventFilter(watched, event);
}

void CellRouteForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        resetData();
    QWidget::changeEvent(event);
}

#include "DspMatrixForm.h"

#include "AppState.h"
#include "CDeviceDspData.h"
#include "DevDetailStore.h"
#include "DspEnvelope.h"
#include "DspMatrix.h"
#include "DspMatrixGrid.h"
#include "DspMatrixLabels.h"
#include "DspMatrixRequests.h"
#include "ModelTable.h"
#include "ReplyFields.h"
#include "UiScale.h"

#include <QDoubleSpinBox>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace {

/// A stalled read (a lost reply) is asked again after this many volume ticks (2 s).
constexpr int kStallTicks = 8;
constexpr int kScrollReadMs = 150;

int atLeast(int design)
{
    return qMax(UiScale::px(design), design);
}

} // namespace

DspMatrixForm::DspMatrixForm(QWidget* parent) : DspPageShell(QStringLiteral("DspMatrixForm"), parent)
{
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("matrix_content"));
    content->setStyleSheet(QStringLiteral(
        "#matrix_content{background:#1e2229;} QLabel{color:#d8dce3;} "
        "QLineEdit,QDoubleSpinBox{background:#14171c;color:#e6e9ee;border:1px solid #3a404b;padding:2px 4px;} "
        "QPushButton{background:#2c323c;color:#e6e9ee;border:1px solid #3a404b;padding:4px 10px;} "
        "QPushButton:hover{background:#36404c;} QPushButton:disabled{color:#6b7280;}"));
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(buildToolbar());
    m_grid = new DspMatrixGrid(content);
    layout->addWidget(m_grid, 1);
    setContent(content);

    connect(m_grid, &DspMatrixGrid::signal_cellToggled, this, &DspMatrixForm::on_checkBox_clicked);
    connect(m_grid, &DspMatrixGrid::signal_cellSelected, this, &DspMatrixForm::selectCell);
    connect(m_grid, &DspMatrixGrid::signal_shareToggled, this, &DspMatrixForm::on_gainShare_clicked);
    m_scrollRead.setSingleShot(true);
    m_scrollRead.setInterval(kScrollReadMs);
    connect(&m_scrollRead, &QTimer::timeout, this, &DspMatrixForm::readView);
    connect(m_grid, &DspMatrixGrid::signal_viewMoved, this, [this] {
        // A whole read covers what scrolls into view; otherwise read the new screenful once scrolling rests.
        if (!(m_reader.isReading()))
            m_scrollRead.start();
    });
    m_batchClock = &DspMatrixBatchRun::steadyUs;
    m_batchSender = [this](const QString& text) {
        QMetaObject::invokeMethod(
            this, [this, text] { emit signal_sendMsg(text); }, Qt::QueuedConnection);
    };
}

DspMatrixForm::~DspMatrixForm()
{
    m_cancel = true;
    m_batch.waitForFinished();
}

QWidget* DspMatrixForm::buildToolbar()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto label = [bar](const QString& text) {
        auto* l = new QLabel(text, bar);
        l->setMinimumWidth(l->sizeHint().width());
        return l;
    };
    auto edit = [bar](const char* name) {
        auto* e = new QLineEdit(bar);
        e->setObjectName(QLatin1String(name));
        e->setFixedWidth(atLeast(52));
        e->setMinimumHeight(atLeast(26));
        return e;
    };
    m_inJump = edit("inJump_edit");
    m_outJump = edit("outJump_edit");
    row->addWidget(label(tr("输入跳转到：")));
    row->addWidget(m_inJump);
    row->addSpacing(8);
    row->addWidget(label(tr("输出跳转到：")));
    row->addWidget(m_outJump);
    row->addSpacing(16);
    row->addWidget(label(tr("增益(dB)：")));
    m_gainSpin = new QDoubleSpinBox(bar);
    m_gainSpin->setObjectName(QStringLiteral("changeGain_spinBox"));
    // Wider than the device accepts, so a typed value outside it is refused with a message, not clamped silently.
    m_gainSpin->setRange(-99.75, 99.75);
    m_gainSpin->setDecimals(2);
    m_gainSpin->setSingleStep(0.25);
    m_gainSpin->setKeyboardTracking(false);
    m_gainSpin->setMinimumWidth(atLeast(84));
    m_gainSpin->setMinimumHeight(atLeast(26));
    m_gainSpin->setEnabled(false);
    row->addWidget(m_gainSpin);
    row->addStretch(1);
    auto button = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, bar);
        b->setObjectName(QLatin1String(name));
        b->setMinimumHeight(atLeast(28));
        b->setMinimumWidth(b->sizeHint().width());
        row->addWidget(b);
        m_batchButtons << b;
        return b;
    };
    connect(button("gainShare_bt", tr("全部增益共享")), &QPushButton::clicked, this,
            &DspMatrixForm::on_gainShare_bt_clicked);
    connect(button("cancelGainShare_bt", tr("取消增益共享")), &QPushButton::clicked, this,
            &DspMatrixForm::on_cancelGainShare_bt_clicked);
    connect(button("resetBt", tr("重置全部增益")), &QPushButton::clicked, this, &DspMatrixForm::on_resetBt_clicked);
    connect(button("clearBt", tr("清除所有路由")), &QPushButton::clicked, this, &DspMatrixForm::on_clearBt_clicked);
    connect(m_inJump, &QLineEdit::returnPressed, this, &DspMatrixForm::on_inJump_edit_returnPressed);
    connect(m_outJump, &QLineEdit::returnPressed, this, &DspMatrixForm::on_outJump_edit_returnPressed);
    connect(m_gainSpin, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &DspMatrixForm::on_changeGain_spinBox_valueChanged);
    return bar;
}

// ---- state -------------------------------------------------------------------------------------------------

bool DspMatrixForm::offline() const
{
    // The offline workspace may be open without having told the page.
    return isOffline() || AppState::isOffline();
}

DspMatrix* DspMatrixForm::matrix() const
{
    return dspData() != nullptr ? dspData()->matrix() : nullptr;
}

bool DspMatrixForm::isLocked() const
{
    if (offline() || dspData() == nullptr || dspData()->devId().isEmpty())
        return false;
    return DevDetailStore::instance().getDevDetail(dspData()->devId()).dspLockLevel > 0;
}

bool DspMatrixForm::refuseWhenLocked()
{
    if (!isLocked())
        return false;
    tip(tr("控制功能已上锁"));
    return true;
}

bool DspMatrixForm::isMatrixBatchModel() const
{
    if (dspData() == nullptr)
        return false;
    return ModelTable::instance().isMatrixBatch(DevDetailStore::instance().getDevDetail(dspData()->devId()).model);
}

void DspMatrixForm::tip(const QString& text)
{
    emit signal_showTips(text);
}

void DspMatrixForm::send(const QJsonObject& request)
{
    if (!offline())
        emit signal_sendMsg(DspEnvelope::udp(request));
}

void DspMatrixForm::setDspData(CDeviceDspData* data)
{
    DspPageShell::setDspData(data);
    m_reader.cancel();
    m_pendingOn.clear();
    m_pendingGain.clear();
    m_pendingShare.clear();
    rebuild();
    if (isVisible())
        sendRequest();
}

void DspMatrixForm::refreshData()
{
    rebuild();
}

void DspMatrixForm::rebuild()
{
    const DspMatrix* m = matrix();
    if (m == nullptr) {
        m_grid->setMatrix(nullptr, {}, {});
        m_rowLevels.clear();
        m_colLevels.clear();
        showSelectedGain();
        return;
    }
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(dspData()->devId());
    m_grid->setMatrix(m, DspMatrixLabels::rows(*dspData(), detail.phyRxChNames, detail.rxChNames),
                      DspMatrixLabels::columns(*dspData(), detail.phyTxChNames, detail.txChNames));
    m_rowLevels = QVector<double>(m->rows(), DspMatrixRequests::kSilenceDb);
    m_colLevels = QVector<double>(m->columns(), DspMatrixRequests::kSilenceDb);
    m_grid->setLevels(m_rowLevels, m_colLevels);
    showSelectedGain();
}

void DspMatrixForm::showEvent(QShowEvent* event)
{
    DspPageShell::showEvent(event);
    sendRequest();
}

// ---- reading -----------------------------------------------------------------------------------------------

bool DspMatrixForm::canRead() const
{
    // A virtual mixer has no processor service to read from: its configuration is built locally.
    return !offline() && matrix() != nullptr &&
           !ModelTable::instance().isVirtualMixer(DevDetailStore::instance().getDevDetail(dspData()->devId()).model);
}

void DspMatrixForm::sendRequest()
{
    const DspMatrix* m = matrix();
    if (!canRead())
        return;
    m_ticksSinceProgress = 0;
    follow(m_reader.startWhole(m->rows(), m->columns(), isMatrixBatchModel(), m_grid->firstVisibleColumn(),
                               m_grid->firstVisibleRow()));
}

void DspMatrixForm::readView()
{
    const DspMatrix* m = matrix();
    if (!canRead() || m_reader.isReading())
        return;
    m_ticksSinceProgress = 0;
    follow(m_reader.startView(m->rows(), m->columns(), isMatrixBatchModel(), m_grid->firstVisibleColumn(),
                              m_grid->lastVisibleColumn(), m_grid->firstVisibleRow(), m_grid->lastVisibleRow()));
}

void DspMatrixForm::follow(std::optional<QJsonObject> request)
{
    if (request)
        send(*request);
}

void DspMatrixForm::volumeTick()
{
    const DspMatrix* m = matrix();
    if (offline() || m == nullptr || dspData() == nullptr)
        return;
    if (m_reader.isReading() && ++m_ticksSinceProgress >= kStallTicks) {
        m_ticksSinceProgress = 0;
        follow(m_reader.retry());
    }
    using Meter = DspMatrixRequests::Meter;
    const CDeviceDspData& d = *dspData();
    auto poll = [this](int first, int last, int local, int net, Meter phy, Meter network) {
        if (first < local)
            send(DspMatrixRequests::meter(phy, first));
        if (last >= local && first < local + net)
            send(DspMatrixRequests::meter(network, qMax(0, first - local)));
    };
    poll(m_grid->firstVisibleRow(), m_grid->lastVisibleRow(), d.localInCount(), d.netInCount(), Meter::PhyIn,
         Meter::NetIn);
    poll(m_grid->firstVisibleColumn(), m_grid->lastVisibleColumn(), d.localOutCount(), d.netOutCount(), Meter::PhyOut,
         Meter::NetOut);
}

void DspMatrixForm::recvBackData(QString msg)
{
    DspPageShell::recvBackData(msg);
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (!reply.isEmpty())
        handleMessage(reply);
}

void DspMatrixForm::handleMessage(const QJsonObject& reply)
{
    DspMatrix* m = matrix();
    if (m == nullptr)
        return;
    const QString ops = ReplyFields::text(reply, "ops");
    const bool failed = ReplyFields::failed(reply);
    if (ops == QLatin1String("getMatrix") || ops == QLatin1String("getMatrixBatch")) {
        const std::optional<DspMatrixRequests::Page> page = DspMatrixRequests::applyPage(*m, reply);
        if (!page)
            return;
        m_ticksSinceProgress = 0;
        m_grid->viewport()->update();
        showSelectedGain();
        follow(m_reader.next(*page));
        if (m_reader.takeWholeFinished())
            tip(tr("获取全部数据成功！"));
    } else if (ops == QLatin1String("getMatrixMute")) {
        if (failed)
            tip(tr("获取静音失败"));
    } else if (ops == QLatin1String("getMatrixGain")) {
        if (failed)
            tip(tr("获取增益失败"));
    } else if (ops == QLatin1String("setMatrixMute") || ops == QLatin1String("setMatrixGain")) {
        const qint64 key =
            cellKey(ReplyFields::number(reply, "outIndex", -1), ReplyFields::number(reply, "inIndex", -1));
        const bool mute = ops == QLatin1String("setMatrixMute");
        if (failed) {
            // Put the device's state back on screen: the change never happened there.
            const int col = int(key >> 32);
            const int row = int(quint32(key));
            if (mute && m_pendingOn.contains(key))
                m->setOn(col, row, m_pendingOn.value(key));
            else if (!mute && m_pendingGain.contains(key))
                m->setGainDb(col, row, m_pendingGain.value(key));
            m_grid->viewport()->update();
            showSelectedGain();
            tip(tr("设置失败"));
        }
        if (mute)
            m_pendingOn.remove(key);
        else
            m_pendingGain.remove(key);
    } else if (ops == QLatin1String("setMatrixMode")) {
        const int col = ReplyFields::number(reply, "outIndex", -1);
        if (failed) {
            if (m_pendingShare.contains(col)) {
                m->setShare(col, m_pendingShare.value(col));
                m_grid->viewport()->update();
            }
            tip(tr("设置失败"));
        } else {
            tip(tr("设置成功"));
        }
        m_pendingShare.remove(col);
    } else if (DspMatrixRequests::meterOf(ops)) {
        const CDeviceDspData& d = *dspData();
        if (DspMatrixRequests::applyMeter(reply, d.localInCount(), d.netInCount(), d.localOutCount(), d.netOutCount(),
                                          m_rowLevels, m_colLevels) > 0)
            m_grid->setLevels(m_rowLevels, m_colLevels);
    }
}

// ---- single changes ----------------------------------------------------------------------------------------

void DspMatrixForm::selectCell(int col, int row)
{
    m_grid->setSelected(col, row);
    showSelectedGain();
}

void DspMatrixForm::showSelectedGain()
{
    const DspMatrix* m = matrix();
    const bool valid = m != nullptr && m->contains(m_grid->selectedColumn(), m_grid->selectedRow());
    const QSignalBlocker block(m_gainSpin);
    m_gainSpin->setEnabled(valid);
    m_gainSpin->setValue(valid ? m->gainDb(m_grid->selectedColumn(), m_grid->selectedRow()) : 0.0);
}

void DspMatrixForm::on_checkBox_clicked(int col, int row)
{
    DspMatrix* m = matrix();
    if (m == nullptr || !m->contains(col, row) || refuseWhenLocked())
        return;
    const bool on = !m->isOn(col, row);
    if (!offline() && !m_pendingOn.contains(cellKey(col, row)))
        m_pendingOn.insert(cellKey(col, row), !on);
    m->setOn(col, row, on);
    m_grid->viewport()->update();
    send(DspMatrixRequests::setMatrixMute(col, row, on, false));
}

void DspMatrixForm::on_changeGain_spinBox_valueChanged(double db)
{
    DspMatrix* m = matrix();
    const int col = m_grid->selectedColumn();
    const int row = m_grid->selectedRow();
    if (m == nullptr || !m->contains(col, row))
        return;
    const double old = m->gainDb(col, row);
    if (std::fabs(db - old) < 1e-6)
        return;
    if (!DspMatrixRequests::gainInRange(db)) {
        tip(tr("请输入正确的范围"));
        showSelectedGain();
        return;
    }
    if (refuseWhenLocked()) {
        showSelectedGain();
        return;
    }
    const double gain = DspMatrixRequests::quantised(db);
    if (!offline() && !m_pendingGain.contains(cellKey(col, row)))
        m_pendingGain.insert(cellKey(col, row), old);
    m->setGainDb(col, row, gain);
    showSelectedGain();
    m_grid->viewport()->update();
    if (std::fabs(gain - old) >= 1e-6)
        follow(DspMatrixRequests::setMatrixGain(col, row, gain, false));
}

void DspMatrixForm::on_gainShare_clicked(int col)
{
    DspMatrix* m = matrix();
    if (m == nullptr || col < 0 || col >= m->columns() || refuseWhenLocked())
        return;
    const bool share = !m->isShare(col);
    if (!offline() && !m_pendingShare.contains(col))
        m_pendingShare.insert(col, !share);
    m->setShare(col, share);
    m_grid->viewport()->update();
    send(DspMatrixRequests::setMatrixMode(col, share));
}

// ---- whole-matrix actions ----------------------------------------------------------------------------------

void DspMatrixForm::on_gainShare_bt_clicked()
{
    shareAll(true);
}

void DspMatrixForm::on_cancelGainShare_bt_clicked()
{
    shareAll(false);
}

void DspMatrixForm::shareAll(bool share)
{
    DspMatrix* m = matrix();
    if (m == nullptr || m_batch.isRunning() || refuseWhenLocked())
        return;
    QStringList texts;
    for (int c = 0; c < m->columns(); ++c) {
        m->setShare(c, share);
        texts << DspEnvelope::udp(DspMatrixRequests::setMatrixMode(c, share));
    }
    m_grid->viewport()->update();
    if (offline())
        return;
    // Batch models take every output in one request.
    if (isMatrixBatchModel())
        send(DspMatrixRequests::setAllMatrixMode(share));
    else
        startBatch(texts);
}

void DspMatrixForm::on_resetBt_clicked()
{
    DspMatrix* m = matrix();
    if (m == nullptr || m_batch.isRunning() || refuseWhenLocked())
        return;
    QStringList texts;
    for (int c = 0; c < m->columns(); ++c)
        for (int r = 0; r < m->rows(); ++r) {
            m->setGainDb(c, r, 0.0);
            texts << DspEnvelope::udp(*DspMatrixRequests::setMatrixGain(c, r, 0.0, true));
        }
    m_grid->viewport()->update();
    showSelectedGain();
    if (!offline())
        startBatch(texts);
}

void DspMatrixForm::on_clearBt_clicked()
{
    DspMatrix* m = matrix();
    if (m == nullptr || m_batch.isRunning() || refuseWhenLocked())
        return;
    QStringList texts;
    for (int c = 0; c < m->columns(); ++c)
        for (int r = 0; r < m->rows(); ++r) {
            m->setOn(c, r, false);
            texts << DspEnvelope::udp(DspMatrixRequests::setMatrixMute(c, r, false, true));
        }
    m_grid->viewport()->update();
    if (!offline())
        startBatch(texts);
}

void DspMatrixForm::startBatch(const QStringList& texts)
{
    m_cancel = false;
    for (QPushButton* b : m_batchButtons)
        b->setEnabled(false);
    const DspMatrixBatchRun::Sender sender = m_batchSender;
    const DspMatrixBatchRun::ClockUs clock = m_batchClock;
    m_batch = QtConcurrent::run(
        [texts, sender, clock, this] { return DspMatrixBatchRun::run(texts, sender, clock, m_cancel); });
    auto* watcher = new QFutureWatcher<int>(this);
    connect(watcher, &QFutureWatcher<int>::finished, this, [this, watcher] {
        watcher->deleteLater();
        batchFinished();
    });
    watcher->setFuture(m_batch);
}

void DspMatrixForm::batchFinished()
{
    for (QPushButton* b : m_batchButtons)
        b->setEnabled(true);
}

void DspMatrixForm::waitForBatch()
{
    m_batch.waitForFinished();
}

// ---- jumps -------------------------------------------------------------------------------------------------

bool DspMatrixForm::jump(QLineEdit* edit, bool input)
{
    const DspMatrix* m = matrix();
    bool ok = false;
    const int n = edit->text().trimmed().toInt(&ok);
    const int count = m == nullptr ? 0 : (input ? m->rows() : m->columns());
    if (!ok || n < 1 || n > count) {
        tip(tr("请输入正确的范围"));
        return false;
    }
    if (input)
        m_grid->scrollToRow(n - 1);
    else
        m_grid->scrollToColumn(n - 1);
    return true;
}

void DspMatrixForm::on_inJump_edit_returnPressed()
{
    jump(m_inJump, true);
}

void DspMatrixForm::on_outJump_edit_returnPressed()
{
    jump(m_outJump, false);
}

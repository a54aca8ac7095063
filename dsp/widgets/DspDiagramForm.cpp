#include "DspDiagramForm.h"

#include "AppState.h"
#include "BlockPosition.h"
#include "CBaseItem.h"
#include "CDeviceDspData.h"
#include "ChannelProgramForm.h"
#include "CommandTranslator.h"
#include "DevDetailStore.h"
#include "DeviceSender.h"
#include "DspAdminCode.h"
#include "DspAecForm.h"
#include "DspAutomixForm.h"
#include "DspAutomixMemberDialog.h"
#include "DspBlockBaseForm.h"
#include "DspChainEditor.h"
#include "DspCpuFigures.h"
#include "DspDiagramRequests.h"
#include "DspEditRules.h"
#include "DspEditorFactory.h"
#include "DspEnvelope.h"
#include "DspFirmware.h"
#include "DspSideChannelStrip.h"
#include "FormAutoMixer.h"
#include "FormDspDiagramInput.h"
#include "FormDspDiagramOutput.h"
#include "MicControlDialog.h"
#include "ModelTable.h"
#include "NameRules.h"
#include "ReplyFields.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QString kSucc = QStringLiteral("succ");
/// The dialog's light label colour is inherited by its questions: they get the dark background it was made for.
const QString kModalStyle = QStringLiteral("QMessageBox,QInputDialog{background:#262b33;} QLabel{color:#d7dbe2;}");
/// Levels above this count as signal present on the strip's mark.
constexpr double kSignalDb = -60;

} // namespace

const QList<DspDiagramForm::BlockButton>& DspDiagramForm::blockButtons()
{
    static const QList<BlockButton> buttons = {
        {"eq_bt", "EQ", CBaseItem::KindEq},
        {"delay_bt", "Delay", CBaseItem::KindDelay},
        {"compress_bt", "Compress", CBaseItem::KindCompress},
        {"fbe_bt", "Fbe", CBaseItem::KindFbe},
        {"hpf_bt", "HPF", DspEditRules::AddHpf},
        {"lpf_bt", "LPF", DspEditRules::AddLpf},
        {"fir_bt", "Fir", CBaseItem::KindFir},
        {"limit_bt", "Limit", CBaseItem::KindLimit},
        {"expand_bt", "Expand", CBaseItem::KindExpand},
        {"noisegate_bt", "NoiseGate", CBaseItem::KindNoiseGate},
        {"signalgen_bt", "SignalGen", CBaseItem::KindSignalGen},
        {"ducker_bt", "Ducker", CBaseItem::KindDucker},
    };
    return buttons;
}

DspDiagramForm::DspDiagramForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DspDiagramForm"));
    m_ask = [this](const QString& question) {
        QMessageBox box(QMessageBox::Question, tr("提示"), question, QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("questionBox"));
        box.setStyleSheet(kModalStyle);
        return box.exec() == QMessageBox::Yes;
    };
    m_choose = [this](const QString& question, const QStringList& choices) {
        QMessageBox box(QMessageBox::Question, tr("提示"), question, QMessageBox::Cancel, this);
        box.setObjectName(QStringLiteral("chooserBox"));
        box.setStyleSheet(kModalStyle);
        QList<QAbstractButton*> buttons;
        for (const QString& c : choices)
            buttons << box.addButton(c, QMessageBox::AcceptRole);
        box.exec();
        return int(buttons.indexOf(box.clickedButton()));
    };
    m_promptCode = [this] {
        QInputDialog input(this);
        input.setObjectName(QStringLiteral("diyCodeInput"));
        input.setStyleSheet(kModalStyle);
        input.setWindowTitle(QStringLiteral("DIY"));
        input.setLabelText(tr("管理员密码"));
        input.setTextEchoMode(QLineEdit::Password);
        if (auto* edit = input.findChild<QLineEdit*>())
            edit->setObjectName(QStringLiteral("le_diyCode")); // scripted sessions type the code here
        return input.exec() == QDialog::Accepted ? input.textValue() : QString();
    };
    m_promptMembers = [this](int limit) { return FormAutoMixer::ask(limit, this); };
    buildUi();
}

DspDiagramForm::~DspDiagramForm()
{
    closeAllEditors();
}

void DspDiagramForm::setDevice(const QString& devId, const QString& model)
{
    m_devId = devId;
    m_model = model;
    refreshLockLabel();
}

void DspDiagramForm::setAsker(Asker asker)
{
    m_ask = std::move(asker);
}

void DspDiagramForm::setChooser(Chooser chooser)
{
    m_choose = std::move(chooser);
}

void DspDiagramForm::setCodePrompt(CodePrompt prompt)
{
    m_promptCode = std::move(prompt);
}

// ---- Building ----------------------------------------------------------------------------------

void DspDiagramForm::buildUi()
{
    auto* tools = new QHBoxLayout;
    for (const BlockButton& bb : blockButtons()) {
        auto* b = new QPushButton(QLatin1String(bb.text), this);
        b->setObjectName(QLatin1String(bb.objectName));
        tools->addWidget(b);
        if (bb.target == CBaseItem::KindDelay) {
            // The delay's memory is chosen when it is added.
            auto* menu = new QMenu(b);
            for (const double seconds : {0.1, 0.5}) {
                QAction* a = menu->addAction(QStringLiteral("%1s").arg(seconds));
                a->setObjectName(QStringLiteral("delay_%1s").arg(seconds));
                connect(a, &QAction::triggered, this, [this, seconds] { addSelected(CBaseItem::KindDelay, seconds); });
            }
            b->setMenu(menu);
            continue;
        }
        const int target = bb.target;
        connect(b, &QPushButton::clicked, this, [this, target] { addSelected(target); });
    }
    auto* automixer = new QPushButton(QStringLiteral("AutoMixer"), this);
    automixer->setObjectName(QStringLiteral("automixer_bt"));
    connect(automixer, &QPushButton::clicked, this, &DspDiagramForm::addAutomixer);
    tools->addWidget(automixer);
    auto* mic = new QPushButton(tr("话筒"), this);
    mic->setObjectName(QStringLiteral("pb_mic"));
    connect(mic, &QPushButton::clicked, this, &DspDiagramForm::on_pb_mic_clicked);
    tools->addWidget(mic);
    tools->addStretch();
    m_forceAdd = new QRadioButton(tr("强制添加"), this);
    m_forceAdd->setObjectName(QStringLiteral("diy_rb_forceadd"));
    m_forceAdd->setAutoExclusive(false);
    m_forceAdd->setStyleSheet(QStringLiteral("QRadioButton{color:#d7dbe2;}"));
    m_diy = new QPushButton(QStringLiteral("DIY"), this);
    m_diy->setObjectName(QStringLiteral("diy_bt"));
    connect(m_diy, &QPushButton::clicked, this, &DspDiagramForm::openDiyEntry);
    m_estimateLabel = new QLabel(this);
    m_estimateLabel->setObjectName(QStringLiteral("lb_cpuEstimate"));
    m_lockLabel = new QLabel(tr("控制功能已上锁"), this);
    m_lockLabel->setObjectName(QStringLiteral("lb_lock"));
    m_lockLabel->setStyleSheet(QStringLiteral("color:#ff5555;"));
    m_lockLabel->hide();
    m_save = new QPushButton(tr("保存"), this);
    m_save->setObjectName(QStringLiteral("pb_save"));
    m_undo = new QPushButton(tr("撤回"), this);
    m_undo->setObjectName(QStringLiteral("pb_undo"));
    connect(m_save, &QPushButton::clicked, this, &DspDiagramForm::on_pb_save_clicked);
    connect(m_undo, &QPushButton::clicked, this, &DspDiagramForm::on_pb_undo_clicked);
    for (QWidget* w :
         {static_cast<QWidget*>(m_lockLabel), static_cast<QWidget*>(m_diy), static_cast<QWidget*>(m_forceAdd),
          static_cast<QWidget*>(m_estimateLabel), static_cast<QWidget*>(m_save), static_cast<QWidget*>(m_undo)})
        tools->addWidget(w);

    auto* canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("diagramCanvas"));
    canvas->setAttribute(Qt::WA_StyledBackground);
    canvas->setStyleSheet(QStringLiteral("QWidget#diagramCanvas{background:#1e2229;}"
                                         "QFrame[strip=\"true\"]{background:#262b33;border:1px solid #3a404a;}"));
    auto* columns = new QHBoxLayout(canvas);
    // Strips are inserted before the closing stretch, so the columns stay packed at the top.
    m_inputColumn = new QVBoxLayout;
    m_inputColumn->addStretch();
    m_outputColumn = new QVBoxLayout;
    m_outputColumn->addStretch();
    m_matrix = new QPushButton(tr("矩阵"), canvas);
    m_matrix->setObjectName(QStringLiteral("matrix_bt"));
    m_matrix->setMinimumHeight(UiScale::px(120));
    connect(m_matrix, &QPushButton::clicked, this, &DspDiagramForm::on_matrix_bt_clicked);
    columns->addLayout(m_inputColumn, 1);
    columns->addWidget(m_matrix, 0, Qt::AlignTop);
    columns->addLayout(m_outputColumn, 1);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(canvas);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(scroll, 1);
    updateEstimate();
    updateForceAdd();
}

// ---- Showing -----------------------------------------------------------------------------------

void DspDiagramForm::refreshUI(CDeviceDspData* dspData)
{
    closeAllEditors();
    m_data = dspData;
    m_downloaded.reset(dspData != nullptr ? dspData->clone() : nullptr);
    m_sel = Selection();
    m_linkPending = false;
    m_pendingBypass.clear();
    updateForceAdd();
    redraw();
    emit signal_changeIdStart(0, false);
    emit signal_changeIdStart(0, true);
}

void DspDiagramForm::redraw()
{
    // A strip may be the sender of the edit that redraws the page: it goes once its event is over.
    auto retire = [](QWidget* w) {
        w->hide();
        w->setParent(nullptr);
        w->deleteLater();
    };
    for (QWidget* w : m_inputs)
        retire(w);
    for (QWidget* w : m_outputs)
        retire(w);
    for (QWidget* w : m_sideStrips)
        retire(w);
    m_inputs.clear();
    m_outputs.clear();
    m_sideStrips.clear();
    if (m_data != nullptr) {
        auto wire = [this](DspChannelStrip* s) {
            connect(s, &DspChannelStrip::signal_nameEdited, this, &DspDiagramForm::setChannelName);
            connect(s, &DspChannelStrip::signal_muteClicked, this, &DspDiagramForm::setChannelMute);
            connect(s, &DspChannelStrip::signal_invertClicked, this, &DspDiagramForm::setChannelInverse);
            connect(s, &DspChannelStrip::signal_gainEdited, this, &DspDiagramForm::setChannelGain);
            connect(s, &DspChannelStrip::signal_groupChosen, this, &DspDiagramForm::setChannelGroup);
            connect(s, &DspChannelStrip::signal_linkClicked, this, qOverload<bool, int>(&DspDiagramForm::linkChannel));
            connect(s, &DspChannelStrip::signal_addClicked, this, &DspDiagramForm::selectPosition);
            connect(s, &DspChannelStrip::signal_blockClicked, this, &DspDiagramForm::showBlockDialog);
            connect(s, &DspChannelStrip::signal_blockMenu, this, &DspDiagramForm::showBlockMenu);
            connect(s, &DspChannelStrip::signal_channelMenu, this, &DspDiagramForm::showChannelMenu);
        };
        for (int i = 0; i < m_data->inputs().size(); ++i) {
            auto* s = new FormDspDiagramInput(i, this);
            m_inputs << s;
            m_inputColumn->insertWidget(m_inputColumn->count() - 1, s);
            wire(s);
        }
        for (int i = 0; i < m_data->aecChannels().size(); ++i) {
            auto* s = new DspSideChannelStrip(DspSideChannelStrip::Aec, i, this);
            s->setChannel(*m_data->aecChannels().at(i));
            connect(s, &DspSideChannelStrip::signal_openEditor, this, &DspDiagramForm::showNodeEditor);
            m_sideStrips << s;
            m_inputColumn->insertWidget(m_inputColumn->count() - 1, s);
        }
        for (int i = 0; i < m_data->automixerChannels().size(); ++i) {
            auto* s = new DspSideChannelStrip(DspSideChannelStrip::Automixer, i, this);
            s->setChannel(*m_data->automixerChannels().at(i));
            connect(s, &DspSideChannelStrip::signal_openEditor, this, &DspDiagramForm::showNodeEditor);
            m_sideStrips << s;
            m_inputColumn->insertWidget(m_inputColumn->count() - 1, s);
        }
        for (int i = 0; i < m_data->outputs().size(); ++i) {
            auto* s = new FormDspDiagramOutput(i, this);
            m_outputs << s;
            m_outputColumn->insertWidget(m_outputColumn->count() - 1, s);
            wire(s);
        }
        for (int i = 0; i < m_inputs.size(); ++i)
            redrawChannel(true, i);
        for (int i = 0; i < m_outputs.size(); ++i)
            redrawChannel(false, i);
    }
    updateEstimate();
    emit send_minWidth_signal(sizeHint().width());
}

void DspDiagramForm::redrawChannel(bool isInput, int chIndex)
{
    DspChannelStrip* s = strip(isInput, chIndex);
    const CChainChannel* ch = m_data != nullptr ? m_data->channel(isInput, chIndex) : nullptr;
    if (s == nullptr || ch == nullptr)
        return;
    s->setChannel(*ch, shownName(isInput, chIndex), m_data->groups());
    s->setSelectedPosition(m_sel.valid && m_sel.isInput == isInput && m_sel.chIndex == chIndex ? m_sel.position : -1);
}

DspChannelStrip* DspDiagramForm::strip(bool isInput, int chIndex) const
{
    if (isInput)
        return chIndex >= 0 && chIndex < m_inputs.size() ? m_inputs.at(chIndex) : nullptr;
    return chIndex >= 0 && chIndex < m_outputs.size() ? m_outputs.at(chIndex) : nullptr;
}

FormDspDiagramInput* DspDiagramForm::inputStrip(int index) const
{
    return index >= 0 && index < m_inputs.size() ? m_inputs.at(index) : nullptr;
}

FormDspDiagramOutput* DspDiagramForm::outputStrip(int index) const
{
    return index >= 0 && index < m_outputs.size() ? m_outputs.at(index) : nullptr;
}

QString DspDiagramForm::shownName(bool isInput, int chIndex) const
{
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId);
    const QStringList& phy = isInput ? detail.phyRxChNames : detail.phyTxChNames;
    const QStringList& net = isInput ? detail.rxChNames : detail.txChNames;
    if (chIndex < phy.size())
        return phy.at(chIndex);
    if (chIndex - phy.size() < net.size())
        return net.at(chIndex - phy.size());
    const CChainChannel* ch = m_data != nullptr ? m_data->channel(isInput, chIndex) : nullptr;
    return ch != nullptr ? ch->name() : QString();
}

void DspDiagramForm::refreshData()
{
    for (int i = 0; i < m_inputs.size(); ++i)
        redrawChannel(true, i);
    for (int i = 0; i < m_outputs.size(); ++i)
        redrawChannel(false, i);
    emit refreshDataSignal();
}

void DspDiagramForm::updateEstimate()
{
    m_estimate = chainEditor().estimate();
    DspCpuFigures::instance().setEstimate(m_estimate);
    m_estimateLabel->setText(QStringLiteral("CPU:%1%").arg(m_estimate));
}

void DspDiagramForm::expandAll(bool expanded)
{
    for (DspChannelStrip* s : m_inputs)
        s->setExpanded(expanded);
    for (DspChannelStrip* s : m_outputs)
        s->setExpanded(expanded);
}

// ---- Helpers -----------------------------------------------------------------------------------

bool DspDiagramForm::isForceAdd() const
{
    return isForceAddOffered() && m_forceAdd->isChecked();
}

void DspDiagramForm::setForceAdd(bool force)
{
    if (isForceAddOffered())
        m_forceAdd->setChecked(force);
}

bool DspDiagramForm::isForceAddOffered() const
{
    return m_diyOpened || AppState::config().isOn(AppConfig::Switch::CanAlwaysShowDiy);
}

void DspDiagramForm::updateForceAdd()
{
    const bool offered = isForceAddOffered();
    if (!offered)
        m_forceAdd->setChecked(false);
    m_forceAdd->setEnabled(offered);
    m_forceAdd->setVisible(offered);
}

bool DspDiagramForm::openDiyEntry()
{
    const QString code = m_promptCode ? m_promptCode() : QString();
    if (code.isEmpty())
        return false;
    if (!DspAdminCode::matches(code)) {
        tip(tr("该设备不支持自定义功能!"));
        return true;
    }
    m_diyOpened = true;
    updateForceAdd();
    return true;
}

bool DspDiagramForm::isLocked() const
{
    if (m_offline || m_devId.isEmpty())
        return false;
    return DevDetailStore::instance().getDevDetail(m_devId).dspLockLevel > 0;
}

void DspDiagramForm::refreshLockLabel()
{
    const bool locked = isLocked();
    if (locked != m_lockLabel->isVisible()) {
        m_lockLabel->setVisible(locked);
        emit signal_unLock(!locked);
    }
}

bool DspDiagramForm::refuseWhenLocked()
{
    if (!isLocked())
        return false;
    refreshLockLabel();
    tip(tr("控制功能已上锁"));
    return true;
}

void DspDiagramForm::tip(const QString& text)
{
    if (!text.isEmpty())
        emit signal_showTips(text);
}

bool DspDiagramForm::ask(const QString& question)
{
    return m_ask ? m_ask(question) : false;
}

QString DspDiagramForm::firmware() const
{
    return dspFirmwareText(m_data, m_devId);
}

double DspDiagramForm::delayBudget() const
{
    return double(ModelTable::instance().dspDelayBudget(m_model));
}

// ---- Adding ------------------------------------------------------------------------------------

void DspDiagramForm::selectPosition(bool isInput, int chIndex, int position)
{
    if (DspChannelStrip* old = strip(m_sel.isInput, m_sel.chIndex); old != nullptr && m_sel.valid)
        old->setSelectedPosition(-1);
    m_sel.valid = strip(isInput, chIndex) != nullptr;
    m_sel.isInput = isInput;
    m_sel.chIndex = chIndex;
    m_sel.position = position;
    if (DspChannelStrip* s = strip(isInput, chIndex))
        s->setSelectedPosition(position);
}

bool DspDiagramForm::addSelected(int target, double delaySeconds)
{
    if (!m_sel.valid) {
        tip(tr("请先选择添加位置"));
        return false;
    }
    if (!addBlock(target, m_sel.isInput, m_sel.chIndex, m_sel.position, delaySeconds))
        return false;
    // The next block goes after the one just added: one step on for inputs; outputs count from the end.
    if (m_sel.isInput)
        ++m_sel.position;
    if (DspChannelStrip* s = strip(m_sel.isInput, m_sel.chIndex))
        s->setSelectedPosition(m_sel.position);
    return true;
}

bool DspDiagramForm::addBlock(int target, bool isInput, int chIndex, int position, double delaySeconds)
{
    const DspChainEditor::Result r = chainEditor().addBlock(target, isInput, chIndex, position, delaySeconds);
    if (!shown(r))
        return false;
    chainChanged(isInput, chIndex);
    return true;
}

// ---- Context menu operations --------------------------------------------------------------------

bool DspDiagramForm::toggleBypass(bool isInput, int chIndex, int blockIndex)
{
    bool bypass = false;
    if (m_data == nullptr || !shown(chainEditor().planBypass(isInput, chIndex, blockIndex, &bypass)))
        return false;
    CBaseItem* b = m_data->channel(isInput, chIndex)->block(blockIndex);
    if (m_offline) {
        b->setBypass(bypass);
        redrawChannel(isInput, chIndex);
        return true;
    }
    const BlockPosition pos = BlockPosition::of(*m_data, isInput, chIndex, blockIndex);
    m_pendingBypass.insert(pos.blockFlag, bypass);
    emit signal_sendMsg(DspEnvelope::udp(b->setBorderProcBypassRequest(pos, bypass)));
    return true;
}

bool DspDiagramForm::copyBlock(bool isInput, int chIndex, int blockIndex)
{
    return shown(chainEditor().copyBlock(isInput, chIndex, blockIndex));
}

bool DspDiagramForm::pasteBlock(bool isInput, int chIndex, int blockIndex)
{
    if (!shown(chainEditor().pasteBlock(isInput, chIndex, blockIndex)))
        return false;
    chainChanged(isInput, chIndex);
    return true;
}

bool DspDiagramForm::deleteBlock(bool isInput, int chIndex, int blockIndex)
{
    if (!shown(chainEditor().deleteBlock(isInput, chIndex, blockIndex)))
        return false;
    chainChanged(isInput, chIndex);
    return true;
}

bool DspDiagramForm::copyChannel(bool isInput, int chIndex)
{
    return shown(chainEditor().copyChannel(isInput, chIndex));
}

bool DspDiagramForm::pasteChannel(bool isInput, int chIndex)
{
    if (!shown(chainEditor().pasteChannel(isInput, chIndex)))
        return false;
    chainChanged(isInput, chIndex);
    return true;
}

bool DspDiagramForm::deleteChannel(bool isInput, int chIndex)
{
    if (!shown(chainEditor().deleteChannel(isInput, chIndex)))
        return false;
    chainChanged(isInput, chIndex);
    return true;
}

DspChainEditor& DspDiagramForm::chainEditor()
{
    const ModelTable& models = ModelTable::instance();
    DspChainEditor::Facts facts;
    facts.automixerLimit = models.automixerLimit(m_model);
    facts.delayBudget = qint64(delayBudget());
    facts.cpuFactor = models.dspCpuFactor(m_model);
    facts.forceAdd = isForceAdd();
    facts.locked = isLocked();
    m_editor.setData(m_data);
    m_editor.setFacts(facts);
    return m_editor;
}

bool DspDiagramForm::shown(const DspChainEditor::Result& result)
{
    tip(result.message);
    if (!result.done && m_editor.facts().locked)
        refreshLockLabel();
    return result.done;
}

void DspDiagramForm::chainChanged(bool isInput, int chIndex)
{
    // Editors address blocks by position: those of a changed chain may point at another block now.
    closeEditors(isInput, chIndex);
    redrawChannel(isInput, chIndex);
    updateEstimate();
}

void DspDiagramForm::showBlockMenu(bool isInput, int chIndex, int blockIndex, const QPoint& globalPos)
{
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("Set/Cancel Bypass")), &QAction::triggered, this,
            [=] { toggleBypass(isInput, chIndex, blockIndex); });
    connect(menu.addAction(QStringLiteral("Copy Function Parameters")), &QAction::triggered, this,
            [=] { copyBlock(isInput, chIndex, blockIndex); });
    connect(menu.addAction(QStringLiteral("Paste Function Parameters")), &QAction::triggered, this,
            [=] { pasteBlock(isInput, chIndex, blockIndex); });
    connect(menu.addAction(QStringLiteral("Delete Function")), &QAction::triggered, this,
            [=] { deleteBlock(isInput, chIndex, blockIndex); });
    menu.addSeparator();
    addChannelEntries(&menu, isInput, chIndex);
    menu.exec(globalPos);
}

void DspDiagramForm::showChannelMenu(bool isInput, int chIndex, const QPoint& globalPos)
{
    QMenu menu(this);
    addChannelEntries(&menu, isInput, chIndex);
    menu.exec(globalPos);
}

void DspDiagramForm::addChannelEntries(QMenu* menu, bool isInput, int chIndex)
{
    connect(menu->addAction(QStringLiteral("Copy Channel Parameters")), &QAction::triggered, this,
            [=] { copyChannel(isInput, chIndex); });
    connect(menu->addAction(QStringLiteral("Paste Channel Parameters")), &QAction::triggered, this,
            [=] { pasteChannel(isInput, chIndex); });
    connect(menu->addAction(QStringLiteral("Delete Channel")), &QAction::triggered, this,
            [=] { deleteChannel(isInput, chIndex); });
    menu->addSeparator();
    connect(menu->addAction(tr("展开全部DSP")), &QAction::triggered, this, [this] { expandAll(true); });
    connect(menu->addAction(tr("收起全部DSP")), &QAction::triggered, this, [this] { expandAll(false); });
    menu->addSeparator();
    // Channel programs live in the processor: offline there is none to reach.
    for (const bool manage : {false, true})
        connect(menu->addAction(manage ? tr("管理通道程式") : tr("加载通道程式")), &QAction::triggered, this, [=] {
            if (m_offline)
                tip(tr("暂不可用"));
            else
                ChannelProgramForm::openFor(this, isInput, chIndex, manage);
        });
}

// ---- Linking -----------------------------------------------------------------------------------

bool DspDiagramForm::linkChannel(bool isInput, int chIndex)
{
    if (m_data == nullptr || refuseWhenLocked())
        return false;
    const QVector<int> partners = chainEditor().linkPartners(isInput, chIndex);
    if (partners.isEmpty()) {
        tip(tr("链接失败"));
        return false;
    }
    if (partners.size() == 1)
        return linkChannel(isInput, chIndex, partners.first());
    // Two neighbours: never guess, a linked channel would silently be relinked to the other one.
    QStringList choices;
    for (int p : partners) {
        const QString label = QStringLiteral("%1 %2").arg(p + 1).arg(shownName(isInput, p));
        choices << (DspLinkPlan::make(*m_data, isInput, chIndex, p).isUnlink() ? tr("%1 (已链接)").arg(label) : label);
    }
    const int chosen = m_choose ? m_choose(tr("选择链接的通道"), choices) : -1;
    if (chosen < 0 || chosen >= partners.size())
        return false;
    return linkChannel(isInput, chIndex, partners.at(chosen));
}

bool DspDiagramForm::linkChannel(bool isInput, int chIndex, int other)
{
    DspLinkPlan plan;
    if (m_data == nullptr || !shown(chainEditor().planLink(isInput, chIndex, other, &plan)))
        return false;
    if (!ask(plan.isUnlink() ? tr("是否取消链接？") : tr("是否确定链接？")))
        return false;
    if (m_offline) {
        plan.apply(*m_data);
        for (const DspLinkPlan::Entry& e : plan.entries())
            redrawChannel(e.isInput, e.chIndex);
        tip(plan.isUnlink() ? tr("取消链接成功") : tr("链接成功"));
        return true;
    }
    m_pendingLink = plan;
    m_linkPending = true;
    emit signal_sendTcpMsg(DspEnvelope::udp(plan.request(*m_data)));
    return true;
}

// ---- Channel settings ------------------------------------------------------------------------------

bool DspDiagramForm::setChannelName(bool isInput, int chIndex, const QString& name)
{
    CChainChannel* ch = m_data != nullptr ? m_data->channel(isInput, chIndex) : nullptr;
    if (ch == nullptr)
        return false;
    const QString current = shownName(isInput, chIndex);
    const DspDiagramRequests::NameTarget target = DspDiagramRequests::nameTarget(*m_data, isInput, chIndex);
    const NameRules::Result checked = NameRules::check(name, current);
    QString refusal;
    switch (checked.verdict) {
    case NameRules::Accepted:
        break;
    case NameRules::Unchanged:
        redrawChannel(isInput, chIndex);
        return false;
    case NameRules::Empty:
        refusal = tr("设置失败,名字不能为空");
        break;
    case NameRules::TooLong:
        refusal = tr("设置失败,名字不能太长");
        break;
    case NameRules::SpecialChar:
        refusal = tr("设置失败,名字不能有特殊字符");
        break;
    }
    if (refusal.isEmpty() && isLocked())
        refusal = tr("控制功能已上锁");
    // The processor's own extra channels carry no device name; an offline device's names belong to the design's
    // device settings, which this page does not hold.
    if (refusal.isEmpty() && (target.ops.isEmpty() || m_offline))
        refusal = tr("设置失败，请重新设置");
    if (!refusal.isEmpty()) {
        tip(refusal);
        redrawChannel(isInput, chIndex);
        return false;
    }
    const int port = DevDetailStore::instance().getDevDetail(m_devId).port;
    m_pendingNames.insert(target.ops, {isInput, chIndex, checked.name});
    emit signal_sendMsg(DspEnvelope::udp(DspDiagramRequests::channelName(target, checked.name)), port);
    return true;
}

CChainChannel* DspDiagramForm::editableChannel(bool isInput, int chIndex)
{
    CChainChannel* ch = m_data != nullptr ? m_data->channel(isInput, chIndex) : nullptr;
    if (ch == nullptr)
        return nullptr;
    if (refuseWhenLocked()) {
        redrawChannel(isInput, chIndex); // the control goes back to the model's value
        return nullptr;
    }
    return ch;
}

bool DspDiagramForm::setChannelMute(bool isInput, int chIndex, bool mute)
{
    CChainChannel* ch = editableChannel(isInput, chIndex);
    if (ch == nullptr)
        return false;
    ch->setMute(mute);
    if (!m_offline)
        emit signal_sendMsg(DspEnvelope::udp(DspDiagramRequests::mute(isInput, chIndex, mute)));
    return true;
}

bool DspDiagramForm::setChannelInverse(bool isInput, int chIndex, bool inverse)
{
    CChainChannel* ch = editableChannel(isInput, chIndex);
    if (ch == nullptr)
        return false;
    ch->setInverse(inverse);
    if (!m_offline)
        emit signal_sendMsg(DspEnvelope::udp(DspDiagramRequests::inverse(isInput, chIndex, inverse)));
    return true;
}

bool DspDiagramForm::setChannelGain(bool isInput, int chIndex, double db)
{
    if (!std::isfinite(db))
        return false;
    CChainChannel* ch = editableChannel(isInput, chIndex);
    if (ch == nullptr)
        return false;
    ch->setGainDb(db);
    if (!m_offline)
        emit signal_sendMsg(DspEnvelope::udp(DspDiagramRequests::gain(isInput, chIndex, db)));
    return true;
}

bool DspDiagramForm::setChannelGroup(bool isInput, int chIndex, int groupId)
{
    if (m_data == nullptr || groupId < -1 || groupId >= m_data->groups().size())
        return false;
    CChainChannel* ch = editableChannel(isInput, chIndex);
    if (ch == nullptr)
        return false;
    ch->setGroupId(groupId);
    m_data->updateGroupMembers();
    emit signal_refreshGroupList();
    if (!m_offline)
        emit signal_sendMsg(DspEnvelope::udp(DspDiagramRequests::groupId(isInput, chIndex, groupId)));
    return true;
}

// ---- Save and undo -----------------------------------------------------------------------------

void DspDiagramForm::on_pb_save_clicked()
{
    if (m_data == nullptr || refuseWhenLocked() || !ask(tr("是否确定保存？")))
        return;
    if (m_offline) {
        const bool stored = m_offlineSaver && m_offlineSaver(*m_data);
        if (stored) {
            m_downloaded.reset(m_data->clone()); // undo returns to what the design now holds
            emit signal_refreshOfflineData(m_data);
        }
        tip(stored ? tr("保存配置成功") : tr("保存配置失败"));
        return;
    }
    emit signal_sendTcpMsg(DspEnvelope::udp(DspDiagramRequests::saveConfig(*m_data, firmware())));
}

void DspDiagramForm::on_pb_undo_clicked()
{
    if (m_data == nullptr || !m_downloaded || refuseWhenLocked() || !ask(tr("是否确定撤回？")))
        return;
    closeAllEditors();
    // Through the file form, which keeps every field whatever the firmware.
    const QString fw = firmware();
    m_data->parseConfig(m_downloaded->writeConfig(fw, true), fw, true);
    m_sel = Selection();
    redraw();
}

void DspDiagramForm::on_matrix_bt_clicked()
{
    emit showMatrix_signal();
}

// ---- Editors -----------------------------------------------------------------------------------

DspBlockBaseForm* DspDiagramForm::showBlockDialog(bool isInput, int chIndex, int blockIndex)
{
    const CChainChannel* ch = m_data != nullptr ? m_data->channel(isInput, chIndex) : nullptr;
    const CBaseItem* b = ch != nullptr ? ch->block(blockIndex) : nullptr;
    if (b == nullptr)
        return nullptr;
    const QString flag = BlockPosition::flag(isInput, chIndex, blockIndex);
    // One editor may show several blocks (the equaliser shows the channel's filters too): raise it.
    for (const QPointer<DspBlockBaseForm>& open : qAsConst(m_editors)) {
        if (open && open->shows(isInput, chIndex, blockIndex)) {
            open->raise();
            open->activateWindow();
            return open;
        }
    }
    DspBlockBaseForm* editor = DspEditorFactory::create(m_data, isInput, chIndex, blockIndex, this);
    if (editor == nullptr)
        return nullptr;
    editor->setOffline(m_offline);
    editor->setLockCheck([this] { return isLocked(); });
    editor->setWindowTitle(shownName(isInput, chIndex) + DspBlockBaseForm::titleSuffix(b->kind()));
    connect(this, &DspDiagramForm::signal_recvMsg, editor, &DspBlockBaseForm::recvMsg);
    connect(this, &DspDiagramForm::signal_getVolumeTimeout, editor, &DspBlockBaseForm::getVolumeTimeout);
    connect(this, &DspDiagramForm::signal_closeall, editor, &QWidget::close);
    connect(editor, &DspBlockBaseForm::signal_sendMsg, this, qOverload<QString>(&DspDiagramForm::signal_sendMsg));
    connect(editor, &DspBlockBaseForm::signal_showTips, this, [this](const QString& t, bool) { tip(t); });
    connect(editor, &DspBlockBaseForm::signal_updateUI, this, [this](bool in, int c, int blk) {
        redrawChannel(in, c);
        emit signal_updateUI(in, c, blk);
    });
    connect(editor, &DspBlockBaseForm::signal_close, this, [this](const QString& f) {
        m_editors.remove(f);
        emit signal_close(f);
    });
    m_editors.insert(flag, editor);
    editor->show();
    return editor;
}

DspBlockBaseForm* DspDiagramForm::editor(const QString& blockFlag) const
{
    return m_editors.value(blockFlag);
}

int DspDiagramForm::editorCount() const
{
    int n = 0;
    for (const auto& e : m_editors)
        n += e ? 1 : 0;
    return n;
}

void DspDiagramForm::closeEditors(bool isInput, int chIndex)
{
    const QList<QPointer<DspBlockBaseForm>> open = m_editors.values();
    for (const QPointer<DspBlockBaseForm>& e : open)
        if (e && e->isInput() == isInput && e->chIndex() == chIndex)
            e->close();
}

void DspDiagramForm::closeAllEditors()
{
    emit signal_closeall();
    m_editors.clear();
    m_nodeEditors.clear();
}

DspNodeForm* DspDiagramForm::showNodeEditor(int kind, int index)
{
    const bool aec = kind == DspSideChannelStrip::Aec;
    if (m_data == nullptr || index < 0 || index >= (aec ? m_data->aecChannelCount() : m_data->automixerChannelCount()))
        return nullptr;
    const QString key = QStringLiteral("%1:%2").arg(aec ? "aec" : "automix").arg(index);
    if (QPointer<DspNodeForm> open = m_nodeEditors.value(key)) {
        open->raise();
        open->activateWindow();
        return open;
    }
    DspNodeForm* editor = nullptr;
    if (aec) {
        editor = new DspAecForm(m_data, index, this);
    } else {
        auto* mixer = new DspAutomixForm(m_data, index, this);
        QStringList names;
        for (int k = 0; k < m_data->dspInputCount(); ++k)
            names << (k < m_data->inputs().size() ? shownName(true, k) : QString());
        mixer->setInputNames(names);
        editor = mixer;
    }
    editor->setOffline(m_offline);
    editor->setLockCheck([this] { return isLocked(); });
    connect(this, &DspDiagramForm::signal_recvMsg, editor, &DspNodeForm::recvMsg);
    connect(this, &DspDiagramForm::signal_getVolumeTimeout, editor, &DspNodeForm::getVolumeTimeout);
    connect(this, &DspDiagramForm::signal_closeall, editor, &QWidget::close);
    connect(editor, &DspNodeForm::signal_sendMsg, this, qOverload<QString>(&DspDiagramForm::signal_sendMsg));
    connect(editor, &DspNodeForm::signal_showTips, this, [this](const QString& t, bool) { tip(t); });
    connect(editor, &DspNodeForm::signal_close, this, [this, key] { m_nodeEditors.remove(key); });
    m_nodeEditors.insert(key, editor);
    editor->show();
    return editor;
}

bool DspDiagramForm::addAutomixer()
{
    if (m_data == nullptr || refuseWhenLocked())
        return false;
    const QString refusal = DspEditRules::canAdd(*m_data, true, 0, DspEditRules::AddAutomixerChannel,
                                                 ModelTable::instance().automixerLimit(m_model), 0, 0);
    if (!refusal.isEmpty()) {
        tip(refusal);
        return false;
    }
    if (chainEditor().estimate() >= 99 && !isForceAdd()) {
        tip(tr("CPU资源不足"));
        return false;
    }
    const int limit = qMin(m_data->dspInputCount(), int(DspAutomixMemberDialog::kMaxMembers));
    const int members = m_promptMembers ? m_promptMembers(limit) : 0;
    if (members < 1 || members > limit)
        return false;
    auto* mixer = new DspAutomixerChannel;
    for (int ch = 0; ch < members; ++ch)
        mixer->maskArr().append(AutomixerMask::forChannel(ch).compose());
    // Node ids after the automixers move: open node editors would address the wrong node.
    closeAllEditors();
    m_data->automixerChannels().append(mixer);
    m_data->fitMatrix();
    redraw();
    return true;
}

// ---- Replies -----------------------------------------------------------------------------------

void DspDiagramForm::handleMessage(QString msg)
{
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    const QString ops = ReplyFields::text(reply, "ops");
    const bool succ = ReplyFields::text(reply, "result") == kSucc;
    if (ops == QLatin1String("setGain")) {
        if (!succ)
            tip(tr("设置增益失败"));
    } else if (ops == QLatin1String("setMute")) {
        if (!succ)
            tip(tr("设置静音失败"));
    } else if (ops == QLatin1String("setInverse")) {
        if (!succ)
            tip(tr("设置反向失败"));
    } else if (ops == QLatin1String("setGroupId")) {
        tip(succ ? tr("设置成功") : tr("设置失败，请重新设置"));
    } else if (ops == QLatin1String("setChNameRx") || ops == QLatin1String("setChNameTx") ||
               ops == QLatin1String("setPhyChNameRx") || ops == QLatin1String("setPhyChNameTx")) {
        handleNameReply(ops, succ);
    } else if (ops == QLatin1String("setConfig")) {
        if (succ) {
            emit signal_sendMsg(DspEnvelope::udp(DspDiagramRequests::version()));
            tip(tr("保存配置成功"));
        } else {
            tip(tr("保存配置失败"));
            redraw();
        }
    } else if (ops == QLatin1String("setBorderProcGroupIdBatch") && m_linkPending) {
        m_linkPending = false;
        if (succ && m_data != nullptr) {
            m_pendingLink.apply(*m_data);
            for (const DspLinkPlan::Entry& e : m_pendingLink.entries())
                redrawChannel(e.isInput, e.chIndex);
            tip(m_pendingLink.isUnlink() ? tr("取消链接成功") : tr("链接成功"));
        } else {
            tip(tr("链接失败"));
        }
    } else if (ops == QLatin1String("setBorderProcBypass")) {
        const QString flag = ReplyFields::text(reply, "blockFlag");
        if (m_pendingBypass.contains(flag)) {
            m_pendingBypass.remove(flag);
            const bool hasEditor = m_editors.value(flag) != nullptr; // an open editor applies and tells itself
            bool isInput = true;
            int chIndex = 0;
            if (!hasEditor && succ &&
                chainEditor().applyBypass(flag, ReplyFields::text(reply, "val") == QLatin1String("1"), &isInput,
                                          &chIndex)) {
                redrawChannel(isInput, chIndex);
            } else if (!hasEditor && !succ) {
                tip(QStringLiteral("Set Bypass Failed!"));
            }
        }
    } else if (ops == QLatin1String("getVolumeDb")) {
        handleVolume(reply);
    } else if (ops == QLatin1String("sendUdpToUart")) {
        if (m_mic != nullptr)
            m_mic->recvMicMsg(ReplyFields::text(reply, "back"));
    }
    emit signal_recvMsg(msg);
}

void DspDiagramForm::handleNameReply(const QString& ops, bool succ)
{
    const PendingName pending = m_pendingNames.take(ops);
    if (succ && !pending.name.isEmpty() && m_data != nullptr) {
        const DspDiagramRequests::NameTarget target =
            DspDiagramRequests::nameTarget(*m_data, pending.isInput, pending.chIndex);
        // The store holds the names every window shows.
        DevDetailStore::instance().updateDevDetail(m_devId, [&](DevDetail_t& d) {
            QStringList* list = ops == QLatin1String("setPhyChNameRx")   ? &d.phyRxChNames
                                : ops == QLatin1String("setChNameRx")    ? &d.rxChNames
                                : ops == QLatin1String("setPhyChNameTx") ? &d.phyTxChNames
                                                                         : &d.txChNames;
            if (target.id >= 0 && target.id < list->size())
                (*list)[target.id] = pending.name;
        });
    }
    tip(succ ? tr("设置成功") : tr("设置失败，请重新设置"));
    if (!pending.name.isEmpty())
        redrawChannel(pending.isInput, pending.chIndex);
}

void DspDiagramForm::handleVolume(const QJsonObject& reply)
{
    const QJsonArray in = reply.value(QStringLiteral("inArr")).toArray();
    for (int i = 0; i < in.size() && i < m_inputs.size(); ++i) {
        bool ok = false;
        const double db = in.at(i).toString().toDouble(&ok);
        handleSignal(i, ok && db > kSignalDb);
    }
}

void DspDiagramForm::handleSignal(int index, bool haveSignal)
{
    if (FormDspDiagramInput* s = inputStrip(index))
        s->setHaveSignal(haveSignal);
}

void DspDiagramForm::handleGetVolumeTimeout()
{
    emit signal_getVolumeTimeout();
}

void DspDiagramForm::slot_sendUdpToUartMsg(QString msg)
{
    if (m_offline || m_devId.isEmpty())
        return;
    const QJsonObject command{{QStringLiteral("ops"), QStringLiteral("sendUdpToUart")},
                              {QStringLiteral("devId"), m_devId},
                              {QStringLiteral("cmd"), msg}};
    const QString message = QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact));
    if (m_sendTunnel) {
        m_sendTunnel(message);
        return;
    }
    // The tunnel is the device's own (port 7999 of its registered address), even where the processor has an
    // address of its own: the same translation as every command message.
    const CommandTranslator translator(
        [](const QString& devId) { return DevDetailStore::instance().getDevDetail(devId); });
    DeviceSender::send(translator.translate(message));
}

MicControlDialog* DspDiagramForm::micDialog() const
{
    return m_mic;
}

void DspDiagramForm::on_pb_mic_clicked()
{
    if (m_offline) {
        tip(tr("离线设备没有话筒处理器"));
        return;
    }
    if (m_mic == nullptr) {
        m_mic = new MicControlDialog(this);
        connect(m_mic, &MicControlDialog::signal_sendUartMsg, this, &DspDiagramForm::slot_sendUdpToUartMsg);
    }
    m_mic->show();
    m_mic->raise();
    m_mic->activateWindow();
    m_mic->readAll();
}

void DspDiagramForm::slot_customControl(QString text)
{
    Q_UNUSED(text)
}

void DspDiagramForm::slot_customSignal() {}

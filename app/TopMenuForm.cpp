#include "TopMenuForm.h"

#include "AppConfig.h"
#include "AppLog.h"
#include "AppState.h"
#include "StyledButton.h"
#include "UiScale.h"
#include "UserSettings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLibraryInfo>

TopMenuForm::TopMenuForm(const QString& appDir, const AppConfig& config, UserSettings& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("topMenu"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#topMenu{background:#1e242c;}"));
    setFixedHeight(UiScale::px(36));
    if (!m_cnTranslator.load(appDir + QStringLiteral("/qt_cn.qm")))
        qCDebug(lcApp) << "no Chinese translation in" << appDir;
    if (!m_enTranslator.load(appDir + QStringLiteral("/qt_en.qm")))
        qCDebug(lcApp) << "no English translation in" << appDir;
    const QString qtDir = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (!m_qtCnTranslator.load(QStringLiteral("qtbase_zh_CN"), appDir) &&
        !m_qtCnTranslator.load(QStringLiteral("qtbase_zh_CN"), qtDir))
        qCDebug(lcApp) << "no Chinese Qt texts in" << appDir << "or" << qtDir;

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(UiScale::px(6), 0, UiScale::px(6), 0);
    layout->setSpacing(UiScale::px(2));
    addButton(QStringLiteral("action_netSelect"), StyledButton::Menu);
    addButton(QStringLiteral("action_refresh"), StyledButton::Menu);
    addButton(QStringLiteral("action_about"), StyledButton::Menu);
    addButton(QStringLiteral("action_tool"), StyledButton::Menu);
    addButton(QStringLiteral("action_export"), StyledButton::Menu);
    addButton(QStringLiteral("action_load"), StyledButton::Menu);
    m_showsOfflineEntry = config.isOn(AppConfig::Switch::CanShowOffline);
    addButton(QStringLiteral("pbEnterOffline"), StyledButton::Menu)->setVisible(m_showsOfflineEntry);
    addButton(QStringLiteral("action_save"), StyledButton::Menu)->hide();
    addButton(QStringLiteral("pbExportOffline"), StyledButton::Menu)->hide();
    addButton(QStringLiteral("pbImportOffline"), StyledButton::Menu)->hide();
    addButton(QStringLiteral("pbOffline"), StyledButton::Menu)->hide();
    layout->addStretch(1);
    addButton(QStringLiteral("pbRoute"), StyledButton::Page);
    addButton(QStringLiteral("pbClock"), StyledButton::Page);
    addButton(QStringLiteral("pbNetwork"), StyledButton::Page);
    addButton(QStringLiteral("pbVolume"), StyledButton::Page);
    layout->addStretch(1);
    addButton(QStringLiteral("pbLanguage"), StyledButton::Menu)
        ->setVisible(config.isOn(AppConfig::Switch::CanSwitchLanguage));
    addButton(QStringLiteral("pbHelp"), StyledButton::Menu)->setVisible(config.isOn(AppConfig::Switch::CanShowHelp));
    addButton(QStringLiteral("pbQuit"), StyledButton::Menu);

    // Buttons are connected by name like a form's on_<object>_clicked slots.
    QMetaObject::connectSlotsByName(this);
    connect(button(QStringLiteral("pbHelp")), &QPushButton::clicked, this, &TopMenuForm::signal_showHelp);
    connect(button(QStringLiteral("pbQuit")), &QPushButton::clicked, this, &TopMenuForm::signal_quit);
    retranslate();
}

TopMenuForm::~TopMenuForm()
{
    if (m_installed != nullptr)
        QCoreApplication::removeTranslator(m_installed);
    QCoreApplication::removeTranslator(&m_qtCnTranslator);
}

StyledButton* TopMenuForm::addButton(const QString& objectName, int role)
{
    auto* b = new StyledButton(QString(), StyledButton::Role(role), this);
    b->setObjectName(objectName);
    layout()->addWidget(b);
    m_buttons.insert(objectName, b);
    return b;
}

StyledButton* TopMenuForm::button(const QString& objectName) const
{
    return m_buttons.value(objectName, nullptr);
}

bool TopMenuForm::hasTranslations(bool chinese) const
{
    return !(chinese ? m_cnTranslator : m_enTranslator).isEmpty();
}

bool TopMenuForm::applyLanguage(bool chinese)
{
    if (AppState::isOffline())
        return false;
    QTranslator* wanted = chinese ? &m_cnTranslator : &m_enTranslator;
    // Installing the same translator twice would stack it; only a change of language installs.
    if (m_installed != wanted) {
        if (m_installed != nullptr)
            QCoreApplication::removeTranslator(m_installed);
        QCoreApplication::installTranslator(wanted);
        m_installed = wanted;
        // Qt's own texts (Yes/No, OK/Cancel) follow, or the questions would mix Chinese with English buttons.
        if (chinese)
            QCoreApplication::installTranslator(&m_qtCnTranslator);
        else
            QCoreApplication::removeTranslator(&m_qtCnTranslator);
    }
    AppState::setChinese(chinese);
    if (!m_settings.setChinese(chinese))
        qCWarning(lcApp) << "the language choice could not be saved";
    emit signal_languageChanged(chinese);
    return true;
}

void TopMenuForm::on_pbLanguage_clicked()
{
    if (AppState::isOffline()) {
        emit signal_notice(tr("请先退出离线模式再切换翻译"));
        return;
    }
    applyLanguage(!AppState::isChinese());
}

void TopMenuForm::setOfflineForm(bool offline)
{
    m_offlineForm = offline;
    for (const char* name : {"action_netSelect", "action_refresh", "action_about", "action_export", "action_load"})
        button(QLatin1String(name))->setVisible(!offline);
    for (const char* name : {"pbExportOffline", "pbImportOffline"})
        button(QLatin1String(name))->setVisible(offline);
    button(QStringLiteral("pbEnterOffline"))->setVisible(!offline && m_showsOfflineEntry);
    button(QStringLiteral("action_save"))->setVisible(offline);
    button(QStringLiteral("pbOffline"))->setVisible(offline);
    // The language cannot change while offline, so these two carry both texts themselves.
    button(QStringLiteral("action_save"))->setText(AppState::pick(QStringLiteral("保存"), QStringLiteral("Save")));
    button(QStringLiteral("pbOffline"))
        ->setText(AppState::pick(QStringLiteral("退出离线"), QStringLiteral("Leave offline")));
    button(QStringLiteral("pbExportOffline"))
        ->setText(AppState::pick(QStringLiteral("导出存档"), QStringLiteral("Export archive")));
    button(QStringLiteral("pbImportOffline"))
        ->setText(AppState::pick(QStringLiteral("导入存档"), QStringLiteral("Import archive")));
}

void TopMenuForm::setCurrentPage(int index)
{
    const QMap<int, QString> pages{{10, QStringLiteral("pbRoute")},
                                   {20, QStringLiteral("pbClock")},
                                   {30, QStringLiteral("pbNetwork")},
                                   {40, QStringLiteral("pbVolume")}};
    for (auto it = pages.begin(); it != pages.end(); ++it)
        button(it.value())->setChecked(it.key() == index);
}

void TopMenuForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void TopMenuForm::retranslate()
{
    button(QStringLiteral("action_netSelect"))->setText(tr("设置网卡"));
    button(QStringLiteral("action_refresh"))->setText(tr("刷新"));
    button(QStringLiteral("action_about"))->setText(tr("UpgradeFirmware"));
    button(QStringLiteral("action_tool"))->setText(tr("维护工具"));
    button(QStringLiteral("action_export"))->setText(tr("导出配置"));
    button(QStringLiteral("action_load"))->setText(tr("加载配置"));
    button(QStringLiteral("pbEnterOffline"))->setText(tr("离线设计"));
    button(QStringLiteral("pbRoute"))->setText(tr("设备路由"));
    button(QStringLiteral("pbClock"))->setText(tr("设备参数"));
    button(QStringLiteral("pbNetwork"))->setText(tr("网络信息"));
    button(QStringLiteral("pbVolume"))->setText(tr("设备电平"));
    button(QStringLiteral("pbLanguage"))->setText(QStringLiteral("En/中"));
    button(QStringLiteral("pbHelp"))->setText(tr("帮助"));
    button(QStringLiteral("pbQuit"))->setText(tr("退出"));
}

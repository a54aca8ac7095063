#pragma once
#include <QMap>
#include <QString>
#include <QTranslator>
#include <QWidget>

class AppConfig;
class StyledButton;
class UserSettings;

/// The top menu: the entries (interface choice, refresh, firmware upgrade, maintenance tool, archive export and
/// load, offline design),
/// the page buttons, the language button, help and quit. Entries are reported as btnClickSignal(index): 0
/// interface dialog, 2 refresh, 3 firmware upgrade, 4 offline workspace, 10/20/30/40 the pages.
///
/// It also owns the two translators, loaded from "qt_cn.qm" and "qt_en.qm" of the application's folder
/// at construction; a missing file leaves its translator empty (texts stay as written). With Chinese it also
/// installs Qt's own Chinese texts ("qtbase_zh_CN.qm": the standard buttons of questions and dialogs), looked
/// for beside the executable first, then in Qt's translations folder.
class TopMenuForm : public QWidget
{
    Q_OBJECT
public:
    /// `config` and `settings` are kept by reference and must outlive the menu.
    TopMenuForm(const QString& appDir, const AppConfig& config, UserSettings& settings, QWidget* parent = nullptr);
    ~TopMenuForm() override;

    /// Installs the translator of that language (removing the other), stores the choice in "UserConfig.ini"
    /// and sets the process-wide language flag. Refused (false, nothing changed) while the offline workspace
    /// is open. Emits signal_languageChanged.
    bool applyLanguage(bool chinese);
    /// True when the translator of that language holds translations.
    bool hasTranslations(bool chinese) const;
    /// True when Qt's own Chinese texts were found.
    bool hasQtChineseTranslations() const { return !m_qtCnTranslator.isEmpty(); }
    /// The offline form: the online entries (interface, refresh, upgrade, offline design) give way to save and
    /// leave-offline; false gives the online form back.
    void setOfflineForm(bool offline);
    bool isOfflineForm() const { return m_offlineForm; }
    /// Marks the page button of `index` (10..40) as the current page.
    void setCurrentPage(int index);
    StyledButton* button(const QString& objectName) const;

signals:
    void btnClickSignal(int index);
    void signal_languageChanged(bool chinese);
    void signal_showHelp();
    void signal_quit();
    /// A short notice for the notice bar.
    void signal_notice(QString text);
    /// Offline form: save the design, or leave the offline workspace.
    void signal_saveOffline();
    void signal_leaveOffline();
    /// Archives: online, export the devices ("导出配置") or load an archive onto them ("加载配置"); offline, export
    /// chosen devices of the design or import archive devices into it.
    void signal_exportArchive();
    void signal_loadArchive();
    void signal_exportOffline();
    void signal_importOffline();

public slots:
    void on_action_netSelect_clicked() { emit btnClickSignal(0); }
    void on_action_refresh_clicked() { emit btnClickSignal(2); }
    void on_action_about_clicked() { emit btnClickSignal(3); }
    void on_action_tool_clicked() {}
    void on_pbEnterOffline_clicked() { emit btnClickSignal(4); }
    void on_action_save_clicked() { emit signal_saveOffline(); }
    void on_pbOffline_clicked() { emit signal_leaveOffline(); }
    void on_action_export_clicked() { emit signal_exportArchive(); }
    void on_action_load_clicked() { emit signal_loadArchive(); }
    void on_pbExportOffline_clicked() { emit signal_exportOffline(); }
    void on_pbImportOffline_clicked() { emit signal_importOffline(); }
    void on_pbRoute_clicked() { emit btnClickSignal(10); }
    void on_pbClock_clicked() { emit btnClickSignal(20); }
    void on_pbNetwork_clicked() { emit btnClickSignal(30); }
    void on_pbVolume_clicked() { emit btnClickSignal(40); }
    void on_pbLanguage_clicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    StyledButton* addButton(const QString& objectName, int role);
    void retranslate();

    UserSettings& m_settings;
    QTranslator m_cnTranslator;
    QTranslator m_enTranslator;
    QTranslator m_qtCnTranslator;
    QTranslator* m_installed = nullptr;
    QMap<QString, StyledButton*> m_buttons;
    bool m_showsOfflineEntry = false; ///< the switch that offers the offline design
    bool m_offlineForm = false;
};

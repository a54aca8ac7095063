#pragma once
#include "DspPageShell.h"
#include "ProgramList.h"
#include "ProgramPrompts.h"

#include <QJsonObject>
#include <QVector>

class QButtonGroup;
class QLabel;
class QPushButton;

/// The program page of the processor dialog: the device's stored programs (up to 20, program 0 the system
/// default) with save, load, delete, export to and import from files, export and import of all programs, the
/// conversion of older programs and the factory configuration. The rules live in ProgramList, ProgramFile and
/// ProgramConverter; the page only asks, sends and shows.
///
/// List, save, load and delete go by UDP; the requests that carry a whole configuration ("getConfigByName",
/// "saveConfigToFile") over TCP.
class DspProgramForm : public DspPageShell
{
    Q_OBJECT
public:
    explicit DspProgramForm(QWidget* parent = nullptr);

    void setPrompts(ProgramPrompts prompts);
    /// The settings file that remembers the folders ("./Config.ini"; tests use their own).
    void setSettingsPath(const QString& path) { m_settingsPath = path; }

    const ProgramList& programs() const { return m_list; }
    int selectedIndex() const { return m_selected; }
    /// Selects slot `index` (-1 for none) as a click on its button does.
    void selectIndex(int index);
    /// Imports of a list still waiting for their replies.
    int pendingImports() const { return m_importsPending; }

signals:
    /// Offline: a configuration read from a file replaced the one the dialog edits (export and import work on
    /// the design's configuration; the other actions need a device).
    void signal_import(CDeviceDspData* dspData);

public slots:
    void setDspData(CDeviceDspData* data) override;
    void recvBackData(QString msg) override;
    /// Asks the device for its list and the program in use.
    void refreshList();
    void on_pb_save_clicked();
    void on_pb_load_clicked();
    void on_pb_delete_clicked();
    void on_pb_export_clicked();
    void on_pb_convertExport_clicked();
    void on_pb_exportAll_clicked();
    void on_pb_import_clicked();
    void on_pb_importAll_clicked();
    void on_pb_factory_clicked();

private:
    void buildUi();
    void showList();
    void sendUdp(const QJsonObject& request);
    void sendTcp(const QJsonObject& request);
    void tip(const QString& text);
    /// Refuses with a tip when offline or before a configuration arrived.
    bool canTalk();
    QString rememberedDir(const char* key) const;
    void rememberDir(const char* key, const QString& file);
    /// The configuration's channels against the device's; a tip when they differ.
    bool channelsFit(const QJsonObject& config);
    /// `config` in the current form; asks before converting an older one. False (with a tip) when the user
    /// declined or the conversion failed.
    bool currentForm(QJsonObject* config, bool asked);
    /// Offline the page exports and imports the design's configuration itself.
    void exportOffline();
    void importOffline();
    /// Asks the device for the selected program, to be written as it is ("export") or converted ("convert").
    void requestExport(const QString& kind);
    /// Asks for a program file and reads it in the current form with fitting channels; false (having said why,
    /// or cancelled) when there is nothing to import.
    bool readProgramFile(QString* file, QJsonObject* config);
    void exportReply(const QJsonObject& reply, bool convert);
    void exportAllReply(const QJsonObject& reply, bool ok);
    void importReply(const QJsonObject& reply, bool ok, bool ofList);

    ProgramPrompts m_prompts;
    QString m_settingsPath;
    ProgramList m_list;
    int m_selected = -1;
    QString m_exportName; ///< the program a single export or conversion waits for
    QString m_exportKind; ///< its "subTag": "export" or "convert"
    ProgramBatch m_exportAll;
    QString m_exportAllFile;
    bool m_importPending = false; ///< a single import waits for its reply
    int m_importsPending = 0;
    int m_importsFailed = 0;
    QString m_importFailure;

    QButtonGroup* m_slots = nullptr;
    QVector<QPushButton*> m_slotButtons;
    QLabel* m_count = nullptr;
    QLabel* m_current = nullptr;
};

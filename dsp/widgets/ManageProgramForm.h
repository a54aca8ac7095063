#pragma once
#include "ProgramPrompts.h"

#include <QDialog>
#include <QJsonObject>
#include <QStringList>
#include <QVector>

class QLabel;
class QVBoxLayout;
class ProgramItemForm;

/// "通道程式管理": the processor's channel programs, managed from one channel: add (the channel's chain under
/// a new name), rename, delete, export to a file and import from one. The names follow the program name rule and
/// are checked before anything is sent. Replies come through recvMsg().
class ManageProgramForm : public QDialog
{
    Q_OBJECT
public:
    ManageProgramForm(bool isInput, int chIndex, const QString& channelName, QWidget* parent = nullptr);

    void setPrompts(ProgramPrompts prompts) { m_prompts = std::move(prompts); }
    /// The settings file that remembers the folder ("./Config.ini").
    void setSettingsPath(const QString& path) { m_settingsPath = path; }

    QStringList names() const { return m_names; }
    int selectedIndex() const { return m_selected; }
    void selectIndex(int index);
    /// The last message shown in the window.
    QString tipText() const;

signals:
    void signal_sendMsg(QString msg);
    void signal_sendTcpMsg(QString msg);
    void signal_showTips(QString tip);

public slots:
    void refreshList();
    void recvMsg(QString msg);
    void on_pb_add_clicked();
    void on_pb_modify_clicked();
    void on_pb_delete_clicked();
    void on_pb_export_clicked();
    void on_pb_import_clicked();

private:
    void showList();
    void tip(const QString& text);
    /// The name asked with `prompt`, checked; nothing when cancelled or refused (with a tip).
    std::optional<QString> askName(const QString& prompt, const QString& initial);
    void send(const QJsonObject& request);
    void sendTcp(const QJsonObject& request);

    bool m_isInput;
    int m_chIndex;
    ProgramPrompts m_prompts;
    QString m_settingsPath;
    QStringList m_names;
    int m_selected = -1;
    QString m_exportName;
    QVector<ProgramItemForm*> m_rows;
    QVBoxLayout* m_list = nullptr;
    QLabel* m_tip = nullptr;
};

#pragma once
#include "ManagePasswd.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class QButtonGroup;

/// Choosing a device's lock level per area (detail settings, routes and, for devices with a signal
/// processor, audio processing). OK asks for the password, which applies the levels; nothing changes
/// locally until the device reports its new lock.
class ManageLock : public QDialog
{
    Q_OBJECT
public:
    ManageLock(const QString& devId, QWidget* parent = nullptr);

    /// The selected levels (option id = level).
    int routeLevel() const;
    int detailLevel() const;
    int dspLevel() const;
    /// The password dialog opened last (still open or not), for the caller's reply routing and tests.
    ManagePasswd* passwordDialog() const { return m_passwd; }

signals:
    void signal_information(QString text, bool success);
    /// The user confirmed new levels and was asked for the password.
    void signal_lockMode();

public slots:
    /// Replies go on to the open password dialog.
    void recvBackData(QString msg);

private slots:
    void on_ok_bt_clicked();
    void on_passwd_bt_clicked();
    void on_cancel_bt_clicked();

private:
    QButtonGroup* addGroup(const QString& title, const QString& titleName, const QStringList& names,
                           const QStringList& texts, int selected);
    void openPasswordDialog(ManagePasswd* dialog, bool closeWhenDone);

    QString m_devId;
    QButtonGroup* m_detail = nullptr;
    QButtonGroup* m_route = nullptr;
    QButtonGroup* m_dsp = nullptr;
    QPointer<ManagePasswd> m_passwd;
};

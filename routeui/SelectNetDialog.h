#pragma once
#include "NetInterfaceChoice.h"
#include "NetInterfaceList.h"

#include <QDialog>
#include <QString>
#include <functional>

class QEvent;
class QKeyEvent;
class QLabel;
class QListWidget;
class QPushButton;

/// Lets the user (or the automatic choice) pick the one local IPv4 address the controller works on.
/// Lives as long as the main window; confirming emits updateNetInterafceSignal() and hides the dialog.
class SelectNetDialog : public QDialog
{
    Q_OBJECT
public:
    /// Where the candidate addresses come from; the default reads the host's interfaces.
    using AddressSource = std::function<QVector<NetInterfaceList::Entry>()>;

    explicit SelectNetDialog(QWidget* parent = nullptr);

    /// Replaces the address source (tests, hosts with special needs). Does not rebuild the list.
    void setAddressSource(AddressSource source);

    /// Rebuilds the list; with exactly one entry that address becomes the selected one and true is
    /// returned. Emits nothing: the caller confirms by itself.
    bool autoChoose();
    /// The periodic refresh: rebuilds the list and reacts only when it changed (one entry: chosen, the
    /// dialog hidden and the choice confirmed; several: the dialog is shown and raised; none: nothing).
    void refreshInterfaces();
    /// The confirmed address as dotted text; empty while none was confirmed.
    QString selectedIp() const;
    /// The address checked in the dialog but not yet confirmed.
    QString currentChoice() const;
    /// The candidates as last built.
    QVector<NetInterfaceList::Entry> addresses() const;

signals:
    void updateNetInterafceSignal();

public slots:
    /// Makes `ip` the dialog's current choice; the other items are unchecked.
    void on_check_changed(QString ip);
    /// Confirms the current choice.
    void on_ok_bt_clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuildItems();
    void retranslate();
    void confirm();

    AddressSource m_source;
    NetInterfaceChoice m_choice;
    QListWidget* m_list = nullptr;
    QPushButton* m_okButton = nullptr;
    QLabel* m_hint = nullptr;
};

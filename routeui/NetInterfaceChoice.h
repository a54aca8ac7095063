#pragma once
#include "NetInterfaceList.h"

#include <QString>
#include <QVector>

/// The choice of the working address, without widgets: the candidate list, the address checked in the
/// dialog, the confirmed address and how a rebuilt list is answered.
class NetInterfaceChoice
{
public:
    /// What the owner has to do after a refresh.
    enum class Reaction
    {
        None,   ///< unchanged list, or no candidate left
        Chosen, ///< the only candidate was selected: confirm it (restart on it)
        AskUser ///< several candidates: let the user choose
    };

    /// Takes a new list; with exactly one entry it becomes current and selected and true is returned.
    bool autoChoose(const QVector<NetInterfaceList::Entry>& fresh);
    /// Takes a new list and says how to react; an equal list changes nothing.
    Reaction refresh(const QVector<NetInterfaceList::Entry>& fresh);

    const QVector<NetInterfaceList::Entry>& entries() const { return m_entries; }
    /// The address checked in the dialog.
    QString current() const { return m_current; }
    void setCurrent(const QString& ip) { m_current = ip; }
    /// Copies the current choice into the selected address.
    void confirm() { m_selected = m_current; }
    QString selected() const { return m_selected; }

private:
    QVector<NetInterfaceList::Entry> m_entries;
    QString m_current;
    QString m_selected;
};

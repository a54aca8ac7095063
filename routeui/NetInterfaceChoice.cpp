#include "NetInterfaceChoice.h"

#include <algorithm>

bool NetInterfaceChoice::autoChoose(const QVector<NetInterfaceList::Entry>& fresh)
{
    m_entries = fresh;
    if (m_entries.size() != 1)
        return false;
    m_current = m_entries.first().ip;
    m_selected = m_current;
    return true;
}

NetInterfaceChoice::Reaction NetInterfaceChoice::refresh(const QVector<NetInterfaceList::Entry>& fresh)
{
    if (fresh == m_entries)
        return Reaction::None;
    m_entries = fresh;
    // A vanished address must not be confirmed by a later OK.
    const bool currentListed = std::any_of(m_entries.cbegin(), m_entries.cend(),
                                           [this](const NetInterfaceList::Entry& e) { return e.ip == m_current; });
    if (!currentListed)
        m_current.clear();
    if (m_entries.size() == 1) {
        m_current = m_entries.first().ip;
        m_selected = m_current;
        return Reaction::Chosen;
    }
    return m_entries.isEmpty() ? Reaction::None : Reaction::AskUser;
}

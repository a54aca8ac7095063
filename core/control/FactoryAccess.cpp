#include "FactoryAccess.h"

namespace FactoryAccess {

namespace {

// Two codes open the first panel set, one the second, one closes them, one (six digits) lists expansion modules.
const QVector<Entry>& compiledTable()
{
    static const QVector<Entry> table = {
        {{"1c8d87a12e04f8699baf3b8f26cc9faa", "71cac36523c0598efed3b584a033a9b9582a5445604770ba2f8fe2aa04e7ccdc"},
         Grant::UserMode1},
        {{"1a1c973a9863305713da6b6934517528", "ba6b0b840c8dea9e74c85dc3370ad728bbf914038f785dd8f88f9049e450a675"},
         Grant::UserMode1},
        {{"b6b0f806c7895af6c57efbdd028080a1", "8d312c824460afb613d1ec584acbaa82ee36038e5a617e95b9bcb5fb074a649e"},
         Grant::UserMode2},
        {{"84a6d03837da4f198da1d8ececd3d771", "9239175731a7b6f623bc99689fe75d0dc1684ff776685b64a47a1fa00940be0f"},
         Grant::UserMode0},
        {{"99a5a9b044d7f6d909b2669b9f726cb2", "e2fa7441ea31c9cc99e9f9f5def1e742b6a98a5a10065ee9d8732f6ca769f336"},
         Grant::ShowAllDevices},
    };
    return table;
}

// An installed table, its texts owned here (the compiled one points at literals).
struct OwnedEntry
{
    QByteArray salt;
    QByteArray digestHex;
    Grant grant;
};

QVector<OwnedEntry>& installedTable()
{
    static QVector<OwnedEntry> table;
    return table;
}

int g_userMode = 0;
bool g_showAll = false;

} // namespace

Grant grantFor(const QString& input)
{
    const QString code = input.trimmed();
    if (!installedTable().isEmpty()) {
        for (const OwnedEntry& entry : installedTable()) {
            if (SaltedCode::digestOf(entry.salt, code) == entry.digestHex)
                return entry.grant;
        }
        return Grant::Refused;
    }
    for (const Entry& entry : compiledTable()) {
        if (entry.code.matches(code))
            return entry.grant;
    }
    return Grant::Refused;
}

void installTable(const QVector<Entry>& table)
{
    QVector<OwnedEntry> owned;
    for (const Entry& entry : table)
        owned.append(OwnedEntry{QByteArray(entry.code.salt), QByteArray(entry.code.digestHex), entry.grant});
    installedTable() = owned;
}

int userMode()
{
    return g_userMode;
}

bool showAllDevices()
{
    return g_showAll;
}

bool apply(Grant grant)
{
    const int before = g_userMode;
    switch (grant) {
    case Grant::UserMode0:
        g_userMode = 0;
        g_showAll = false;
        break;
    case Grant::UserMode1:
        g_userMode = 1;
        break;
    case Grant::UserMode2:
        g_userMode = 2;
        break;
    case Grant::ShowAllDevices:
        g_showAll = true;
        break;
    case Grant::Refused:
        break;
    }
    return g_userMode != before;
}

} // namespace FactoryAccess

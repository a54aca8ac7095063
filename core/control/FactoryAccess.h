#pragma once
#include "SaltedCode.h"

#include <QString>
#include <QVector>

/// The service codes of a device window's factory prompt (Ctrl+8) and what each one grants, and the user mode
/// they set for the whole application. Codes are kept as salted digests only.
namespace FactoryAccess {

enum class Grant
{
    Refused,
    UserMode0,     ///< back to the ordinary windows; clears the show-all flag
    UserMode1,     ///< the first factory panel set
    UserMode2,     ///< the second set, with the configuration editor; also the configuration edit's code
    ShowAllDevices ///< expansion modules are listed as devices of their own
};

struct Entry
{
    SaltedCode code;
    Grant grant = Grant::Refused;
};

/// What the trimmed `input` grants under the current table.
Grant grantFor(const QString& input);

/// Replaces the compiled table (tests and scripted sessions bring codes of their own); an empty table restores
/// the compiled one.
void installTable(const QVector<Entry>& table);

/// The application's user mode (0, 1 or 2) and the show-all flag. User-interface thread only.
int userMode();
bool showAllDevices();

/// Applies a grant to the mode and flag; returns true when the user mode changed.
bool apply(Grant grant);

} // namespace FactoryAccess

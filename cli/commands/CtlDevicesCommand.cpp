// `devices`: the live devices with their tables, after listening.
#include "CtlCommandTable.h"

namespace {

[[maybe_unused]] const bool registered = CtlCommandTable::add([] {
    CtlCommand c;
    c.name = QStringLiteral("devices");
    c.id = CtlOptions::Devices;
    c.summary = QStringLiteral("listen, then print every live device with its tables (JSON)");
    return c;
}());

} // namespace

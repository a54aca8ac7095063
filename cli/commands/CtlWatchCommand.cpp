// `watch`: one line per notification until interrupted.
#include "CtlCommandTable.h"

namespace {

[[maybe_unused]] const bool registered = CtlCommandTable::add([] {
    CtlCommand c;
    c.name = QStringLiteral("watch");
    c.id = CtlOptions::Watch;
    c.summary = QStringLiteral("print each notification and forwarded message as one JSON line until interrupted");
    return c;
}());

} // namespace

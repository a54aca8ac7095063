// `streams`: the multicast streams learnt from SAP, after listening.
#include "CtlCommandTable.h"

namespace {

[[maybe_unused]] const bool registered = CtlCommandTable::add([] {
    CtlCommand c;
    c.name = QStringLiteral("streams");
    c.id = CtlOptions::Streams;
    c.summary = QStringLiteral("listen, then print the multicast streams learnt from SAP (JSON)");
    return c;
}());

} // namespace

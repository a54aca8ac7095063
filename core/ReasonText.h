#pragma once
#include <QString>

/// The one rule every window uses to turn a device's failure "reason" into the text it shows.
namespace ReasonText {

/// The shown text of `reason` in the Chinese (`chinese` true) or English interface. Known device
/// reasons get their wording; anything else is shown unchanged.
QString forReason(const QString& reason, bool chinese);

} // namespace ReasonText

#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

class SimCommandHandlers;

/// The GPIO entries of port 9992: "setGpioInfo" stores one entry ({"index", "gpioInfo"}), "getGpioInfo" reads it,
/// "testGpio" drives its output high or low.
class SimGpioCommands
{
public:
    static void addTo(SimCommandHandlers& handlers);

    /// An entry nobody has set: every number "0", "customCmd" empty.
    static QJsonObject defaultEntry();
    /// The stored entry after merging `given` into `stored` (members left out keep their value); empty when a
    /// member the entry knows is not of its kind (a whole number, "gainStep" any finite number, "customCmd"
    /// text of at most kMaxCustomCmdBytes UTF-8 bytes). Members the entry does not know are dropped.
    static QJsonObject merged(const QJsonObject& stored, const QJsonObject& given);

    static constexpr int kMaxCustomCmdBytes = 255;

    /// The entry a request's "index" names: a number 0..15 (number or decimal text) or "GPIO_" and that number;
    /// nullopt otherwise.
    static std::optional<int> readIndex(const QJsonObject& message);
};

#pragma once
#include <QString>
#include <QStringList>

/// The pass and fail rules of the test signal tool: levels read from the source and the device under test
/// are compared with fixed windows and the user's thresholds. Widget-free and pure.
namespace SignalVerdict {

/// Default signal-present threshold, dBFS: a level counts as present only above it.
constexpr double kDefaultPresentDb = -25.0;
/// Default cancellation threshold, dBFS: what is left after the phase-inverted copy must lie below it.
constexpr double kDefaultCancelDb = -40.0;
/// The routed output must lie strictly inside this window (a steady -20 dBFS test signal, unity gains).
constexpr double kOutputLowDb = -20.5;
constexpr double kOutputHighDb = -19.5;

struct Thresholds
{
    double presentDb = kDefaultPresentDb;
    double cancelDb = kDefaultCancelDb;
};

/// One level text as devices write it ("-23.5", "-inf"). "-inf" and anything unreadable give -infinity, so an
/// unreadable level never passes a check.
double levelFromText(const QString& text);
/// A level for messages: one decimal, "-inf" for silence.
QString levelText(double db);

bool isPresent(double db, const Thresholds& t);
bool isInOutputWindow(double db);
bool isCancelled(double db, const Thresholds& t);

/// The levels gathered for one channel of the device under test (channels 1-based in the texts).
struct ChannelLevels
{
    int channel = 1;
    double idleNetIn = 0;    ///< the device's network input before any route was made: must be silent
    double sourceOut = 0;    ///< the source's transmit channel that feeds the device
    double netIn = 0;        ///< the device's network input with the route
    double analogOut = 0;    ///< the device's physical output: the output window applies
    double analogIn = 0;     ///< the device's physical input (the output cabled back)
    bool hasAnalogIn = true; ///< false for an amplifier: no physical inputs, nothing cabled back
    double netOut = 0;       ///< the device's transmit channel carrying that input
    double cancelled = 0;    ///< the source's output after the return met the phase-inverted copy
};

struct Result
{
    bool passed = false;
    QString message; ///< "通道N=>..." in either case
};

/// The first failing point of the path in signal order, or the passing line.
Result judge(const ChannelLevels& levels, const Thresholds& t);

/// The large result line of a whole test, in green or red; its words pass through the translator.
QString summaryHtml(bool passed);
/// The same line around any text.
QString resultHtml(const QString& text, bool passed);

} // namespace SignalVerdict

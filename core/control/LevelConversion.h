#pragma once
#include <QString>
#include <QStringList>

/// The display rules of levels, gains and paged read-outs shared by the level views. Widget-free; every
/// function is pure and may be called from any thread.
namespace LevelConversion {

/// Level a silent channel ("-inf") counts as, in dB.
constexpr int kSilentLevel = -120;
/// Meter scale, in dB.
constexpr int kMeterMin = -90;
constexpr int kMeterMax = 0;
/// Gain range, in dB; the slider works in tenths of a dB.
constexpr double kGainMin = -60.0;
constexpr double kGainMax = 12.0;
constexpr int kSliderMin = -600;
constexpr int kSliderMax = 120;
/// Clock priority range.
constexpr int kPriorityMin = 0;
constexpr int kPriorityMax = 255;

/// True when levels of this firmware read 3 dB low (firmware that sorts before "3.0.6" as text, like every
/// firmware rule). An empty version counts as current: no offset.
bool needsLevelOffset(const QString& firmwareVersion);

/// The row level of one level text: "-inf" counts as -120, the number is truncated to whole dB and old
/// firmware gets 3 dB added. Text that is not a number counts as silence.
int levelFromText(const QString& text, bool offset);
/// The meter value of a row level: clamped to -90..0.
int meterValue(int level);
/// The highest row level of a list of level texts; kSilentLevel for an empty list.
int maxLevel(const QStringList& texts, bool offset);

/// The gain of a gain text: "-inf" counts as -60, the result is limited to -60..+12 dB. False (and
/// `gain` untouched) when the text is not a number.
bool gainFromText(const QString& text, double* gain);
/// The slider position of a gain (tenths of a dB).
int sliderPosition(double gain);
/// The gain of a slider position.
double gainFromSlider(int position);
/// The value-field and request text of a gain: up to 6 significant digits ("5.5", "-60").
QString valueText(double gain);
/// The gain typed into a value field when it is a number inside the slider's range.
bool gainFromField(const QString& text, double* gain);

/// The "idStart" of the page to ask after a reply that covered [idStart, idNext) of `count` items, or -1
/// when the read-out is complete. A reply that makes no progress ends it too, so a confused device
/// cannot keep the page asking forever.
int nextPageStart(int idStart, int idNext, int count);

/// The clock priority typed into a field when it is a whole number 0..255.
bool priorityFromText(const QString& text, int* priority);

} // namespace LevelConversion

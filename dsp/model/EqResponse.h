#pragma once
#include "EqBiquad.h"

#include <QPointF>
#include <QVector>

class CChainChannel;
class CEqBlockItem;
class CHlpfItem;

/// The response curves of a channel's equaliser and filters, ready for a chart series: x is log10 of the
/// frequency, y is ten times the magnitude in dB (magnitude curve) or the phase in degrees (phase curve).
namespace EqResponse {

/// The magnitude of a section in dB at `hz`, taken to 0.1 Hz.
double magnitudeDb(const EqBiquad& section, double hz);
/// The phase of a section in radians (-pi..pi) at `hz`, taken to 0.1 Hz.
double phase(const EqBiquad& section, double hz);

/// 20..119 Hz by 1, 120..1010 by 10, 1020..9920 by 100, 10020..19520 by 500.
QVector<double> magnitudeGrid();
/// 20..119.9 Hz by 0.1, 120..219.8 by 0.2, 220..519.5 by 0.5, 520..1019 by 1, 1020..19990 by 10.
QVector<double> phaseGrid();

/// The sections that shape the curve, in order: the EQ bands that are not bypassed (none when the block is,
/// none for a band type that is not drawn), then the high-pass filter and the low-pass filter unless bypassed.
/// Any of the blocks may be null.
QVector<EqBiquad> sections(const CEqBlockItem* eq, const CHlpfItem* highPass, const CHlpfItem* lowPass);
/// The channel's first high-pass (`highPass`) or low-pass filter block; nullptr when it has none.
const CHlpfItem* channelFilter(const CChainChannel& channel, bool highPass);

/// The summed magnitude of the sections over magnitudeGrid().
QVector<QPointF> magnitudeCurve(const QVector<EqBiquad>& sections);
/// The summed phase over phaseGrid(), brought back into -pi..pi after each section.
QVector<QPointF> phaseCurve(const QVector<EqBiquad>& sections);

/// The curves of the EQ block at chain index `eqIndex` of `channel` with the channel's filters (just the
/// filters when that index holds no EQ block).
QVector<QPointF> magnitudeCurve(const CChainChannel& channel, int eqIndex);
QVector<QPointF> phaseCurve(const CChainChannel& channel, int eqIndex);

} // namespace EqResponse

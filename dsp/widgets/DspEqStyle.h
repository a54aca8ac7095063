#pragma once
#include <QString>

class QWidget;

/// The look the equaliser editors share: dark controls in the editors' colours, and the row captions in front of
/// the band columns.
class DspEqStyle
{
public:
    /// The style sheet of the editors' controls.
    static QString controls();
    /// The height of one row of a band column (captions line up with it).
    static int rowHeight();
    /// The captions of a band column's rows: number, type, frequency, gain, Q, bypass.
    static QWidget* rowLabels(QWidget* parent);
    /// The lowest and highest frequency a band or filter can be given (the ends of the graph).
    static double minHz();
    static double maxHz();
};

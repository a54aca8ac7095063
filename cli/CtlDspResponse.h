#pragma once
#include "CtlOptions.h"

#include <QByteArray>
#include <QString>
#include <QVector>

/// `dsp response`: the response curve of one channel's equaliser and filters as the equaliser editor draws it,
/// computed from a processor configuration (a bare "config" object or a whole "getConfig" reply).
class CtlDspResponse
{
public:
    /// Largest configuration file read.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    struct Request
    {
        bool input = true;
        int channel = 1;  ///< counted from 1
        int eqIndex = -1; ///< chain index of the EQ block; -1: the channel's first EQ block
        bool phase = false;
        QString firmware; ///< firmware version the configuration comes from
        bool fromFile = false;
    };

    struct Curve
    {
        QString error;          ///< one line for the user; empty on success
        int exitCode = 0;       ///< CtlExit code of the error
        QVector<double> freq;   ///< Hz, as the grid gives them
        QVector<double> values; ///< dB, or degrees for the phase
        bool ok() const { return error.isEmpty(); }
    };

    /// The channel and options of a `dsp response` command line (the arguments after DEVICE, or all of them with
    /// --config): the error, or empty.
    static QString requestOf(const CtlOptions& options, Request* request);
    /// Prints the curve of `request` in `config` as text or JSON; returns the exit code.
    static int print(const QByteArray& config, const Request& request, bool json);
    /// `dsp response --config FILE`: reads the file and prints; -1 when no file is given (a device is asked).
    static int runOnFile(const CtlOptions& options);

    /// The curve of `request` in the configuration `text`.
    static Curve compute(const QByteArray& text, const Request& request);
    /// The configuration in file `path`: its bytes, or an error when it cannot be read or is too large.
    static bool readFile(const QString& path, QByteArray* text, QString* error);

    /// One line per point, "frequency<TAB>value" with the value to two decimals.
    static QByteArray text(const Curve& curve);
    /// {"freq":[...],"db":[...]} ("deg" for the phase) as one line.
    static QByteArray json(const Curve& curve, bool phase);
    /// A frequency as written: "20", "120.5", "20.1".
    static QString frequencyText(double hz);
    /// A value to two decimals, never "-0.00".
    static QString valueText(double value);
};

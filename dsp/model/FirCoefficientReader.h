#pragma once
#include <QByteArray>
#include <QString>
#include <QVector>

/// Reads FIR coefficients from a text file of unknown layout. Four layouts are tried in turn and the first that
/// yields numbers wins:
///   1. one number per line;
///   2. a list separated by commas, semicolons, spaces or tabs ("0.1, 0.2, 0.3");
///   3. an array with brackets or parentheses as separators too ("[0.1, 0.2; 0.3]", "(0.1 0.2 0.3)");
///   4. an assignment ("h = [0.1 0.2];", "const double h[3] = {0.1, 0.2, 0.3};").
/// Comments from "%", "#" or "//" to the end of a line are ignored. Every token must be a plain decimal number;
/// "nan", "inf" and numbers that overflow a double are refused. The text and the count are bounded, so a huge or
/// binary file costs little and never reaches the model.
class FirCoefficientReader
{
public:
    /// Largest file read (bytes).
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    /// Most coefficients ever accepted, whatever a block's maxTaps claims.
    static constexpr int kMaxCount = 8192;

    enum class Status
    {
        Ok,
        OpenFailed, ///< the file could not be opened
        TooLarge,   ///< more than kMaxBytes of text
        TooMany,    ///< more numbers than allowed
        NoLayout    ///< no layout yields numbers
    };

    struct Result
    {
        Status status = Status::NoLayout;
        QVector<double> values; ///< the coefficients when status is Ok
        int layout = 0;         ///< 1..4, the layout that read them
    };

    /// `maxCount` is the caller's limit (a block's maxTaps), itself bounded by kMaxCount.
    static Result read(const QByteArray& text, int maxCount);
    static Result readFile(const QString& path, int maxCount);

    /// The coefficients as the block stores them: a compact JSON array of decimal texts.
    static QString toJsonArray(const QVector<double>& values);
    /// The inverse, tolerant of numbers written as JSON numbers; entries that are not finite numbers are skipped
    /// and at most kMaxCount are read.
    static QVector<double> fromJsonArray(const QString& jsonArrayText);
};

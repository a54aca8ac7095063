#pragma once
#include <QString>

/// The rules a device or channel name must pass before it is sent to a device. Widget-free, so the
/// settings page, the levels page and scripted tools judge names alike.
class NameRules
{
public:
    /// Longest name a device keeps; longer names are refused rather than cut by the firmware.
    static constexpr int kMaxLength = 30;

    enum Verdict
    {
        Accepted,    ///< send it
        Unchanged,   ///< same as the current name after trimming: nothing to do, no tip
        Empty,       ///< blank after trimming
        SpecialChar, ///< a character other than a letter, digit, blank, "-" or "_"
        TooLong      ///< more than kMaxLength characters after trimming
    };

    struct Result
    {
        Verdict verdict = Accepted;
        QString name; ///< the trimmed text (what would be sent)
        QString tip;  ///< the refusal text; empty for Accepted and Unchanged
    };

    /// Judges the edited `text` of a name whose confirmed value is `current`. The checks run in the order
    /// unchanged, empty, special characters, length.
    static Result check(const QString& text, const QString& current);
    /// The hint shown beside the field while typing; empty when the text would be accepted.
    static QString liveHint(const QString& text);
    /// The refusal text of a verdict (translated); empty for Accepted and Unchanged.
    static QString tipFor(Verdict verdict);
    /// True for letters and digits of any script, blank, "-" and "_".
    static bool isAllowedChar(QChar c);
};

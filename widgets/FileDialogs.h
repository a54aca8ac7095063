#pragma once
#include <QString>

#include <functional>
#include <optional>

class QWidget;

/// The file dialogs of every window go through here, so a script can answer them: a scripted answer, when one
/// is set, is given instead of showing the dialog.
class FileDialogs
{
public:
    enum class Kind
    {
        Open,
        Save
    };
    /// Returns the file to give for a dialog of `kind` with `caption`, or nothing to show the dialog; an empty
    /// text stands for a cancelled dialog.
    using Answerer = std::function<std::optional<QString>(Kind kind, const QString& caption)>;

    static QString openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    /// Set by the script session; none (the default) shows the dialogs.
    static void setAnswerer(Answerer answerer);

private:
    static Answerer& answerer();
};

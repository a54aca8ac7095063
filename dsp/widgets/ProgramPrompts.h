#pragma once
#include <QString>

#include <functional>
#include <optional>

class QWidget;

/// The questions the program windows put to the user. Each is a function, so tests answer them without a
/// dialog; the defaults show message boxes, a small name dialog and the file dialogs (which a script session
/// answers through FileDialogs).
struct ProgramPrompts
{
    /// A yes/no question; true for yes.
    std::function<bool(const QString& question)> ask;
    /// A program name, starting from `initial`; nothing when cancelled.
    std::function<std::optional<QString>(const QString& prompt, const QString& initial)> askName;
    /// A file to read or to write (empty when cancelled).
    std::function<QString(const QString& caption, const QString& dir, const QString& filter)> openFile;
    std::function<QString(const QString& caption, const QString& dir, const QString& filter)> saveFile;

    /// The dialogs, parented to `parent`.
    static ProgramPrompts dialogs(QWidget* parent);
};

#include "FileDialogs.h"

#include <QFileDialog>

FileDialogs::Answerer& FileDialogs::answerer()
{
    static Answerer a;
    return a;
}

void FileDialogs::setAnswerer(Answerer a)
{
    answerer() = std::move(a);
}

QString FileDialogs::openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    if (answerer())
        if (const std::optional<QString> given = answerer()(Kind::Open, caption))
            return *given;
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString FileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    if (answerer())
        if (const std::optional<QString> given = answerer()(Kind::Save, caption))
            return *given;
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

#pragma once
#include <QDialog>

class QLabel;

/// The detail text of one stream entry, shown next to its button.
class ShowStreamInfoDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ShowStreamInfoDialog(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

private:
    QLabel* m_label;
};

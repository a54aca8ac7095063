#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;

/// Edits a PTP clock priority (0..255). OK with a valid number emits `changeData` and accepts; anything
/// else keeps the dialog open with the range tip.
class DialogChangePriority : public QDialog
{
    Q_OBJECT
public:
    explicit DialogChangePriority(int current, QWidget* parent = nullptr);

    QLineEdit* field() const { return m_field; }
    QString tipText() const;

signals:
    void changeData(int priority);

public slots:
    void on_ok_bt_clicked();

private:
    QLineEdit* m_field = nullptr;
    QLabel* m_tip = nullptr;
};

#pragma once
#include <QDialog>

class QSpinBox;

/// Asks how many member channels a new automixer gets ("自动混音通道数量"), 1 to `limit`.
class FormAutoMixer : public QDialog
{
    Q_OBJECT
public:
    FormAutoMixer(int limit, QWidget* parent = nullptr);

    int count() const;
    void setCount(int count);
    /// Shows the question; the chosen count, or 0 when cancelled or when no member is possible.
    static int ask(int limit, QWidget* parent);

private:
    QSpinBox* m_count = nullptr;
};

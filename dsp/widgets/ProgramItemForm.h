#pragma once
#include <QFrame>
#include <QString>

class QLabel;

/// One row of the channel program manager: a program's name; a click selects it.
class ProgramItemForm : public QFrame
{
    Q_OBJECT
public:
    ProgramItemForm(int index, const QString& name, QWidget* parent = nullptr);

    int index() const { return m_index; }
    QString name() const { return m_name; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

signals:
    void signal_clicked(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_index;
    QString m_name;
    bool m_selected = false;
    QLabel* m_label = nullptr;
};

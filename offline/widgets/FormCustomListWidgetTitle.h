#pragma once
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

/// The header of one group of the offline device list: the group's name with its device count, and `add_bt`,
/// which asks for the dialog that adds devices.
class FormCustomListWidgetTitle : public QWidget
{
    Q_OBJECT
public:
    FormCustomListWidgetTitle(const QString& group, int count, QWidget* parent = nullptr);

    QString group() const { return m_group; }
    QString text() const;
    QPushButton* addButton() const { return m_add; }
    void setCount(int count);
    void setGroup(const QString& group);

signals:
    /// `add_bt` was clicked; carries the group's name.
    void signal_add(QString group);

private:
    void updateText();

    QString m_group;
    int m_count = 0;
    QLabel* m_label;
    QPushButton* m_add;
};

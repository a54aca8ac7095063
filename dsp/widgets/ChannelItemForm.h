#pragma once
#include <QFrame>
#include <QString>

/// One row of the channel program chooser: a program's name and the button that puts it onto the channel.
class ChannelItemForm : public QFrame
{
    Q_OBJECT
public:
    ChannelItemForm(int index, const QString& name, QWidget* parent = nullptr);

    QString name() const { return m_name; }

signals:
    void signal_load(QString name);

private:
    QString m_name;
};

#pragma once
#include <QWidget>

class QCheckBox;

/// One transmit channel on the creation page, selectable by its check box "channel_cb:N".
class FormStream : public QWidget
{
    Q_OBJECT
public:
    FormStream(int channel, const QString& label, QWidget* parent = nullptr);

    int channel() const { return m_channel; }
    QCheckBox* checkBox() const { return m_cb; }
    bool isChecked() const;

signals:
    void toggled(bool checked);

private:
    int m_channel;
    QCheckBox* m_cb;
};

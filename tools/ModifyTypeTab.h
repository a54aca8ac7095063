#pragma once
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// The controls of the test signal tool's modify-type tab; the dialog runs the change.
class ModifyTypeTab : public QWidget
{
    Q_OBJECT
public:
    explicit ModifyTypeTab(QWidget* parent = nullptr);

    QComboBox* deviceCombo() const { return m_device; }
    QString type() const;
    QString suffix() const;
    bool writeI2s() const;
    bool writeDsp() const;
    int dspRate() const;
    QPushButton* modifyButton() const { return m_modify; }
    void setStatus(const QString& text);
    QString status() const;
    void setBusy(bool busy);

private:
    QComboBox* m_device;
    QLineEdit* m_type;
    QLineEdit* m_suffix;
    QCheckBox* m_i2s;
    QCheckBox* m_dsp;
    QComboBox* m_rate;
    QPushButton* m_modify;
    QLabel* m_status;
};

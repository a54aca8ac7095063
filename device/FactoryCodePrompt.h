#pragma once
#include <QDialog>

class QLineEdit;

/// The prompt "输入管理密码:" of the factory door (Ctrl+8) and of the configuration edit. Opened window-modal;
/// OK hands the entry on through signal_entered and closes.
class FactoryCodePrompt : public QDialog
{
    Q_OBJECT
public:
    explicit FactoryCodePrompt(QWidget* parent = nullptr);

    QLineEdit* codeEdit() const { return m_code; }

signals:
    void signal_entered(QString code);

public slots:
    void on_ok_bt_clicked();

private:
    QLineEdit* m_code = nullptr;
};

#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

/// The prompt shown when the user leaves the offline workspace: save the design and leave (`save_bt`), leave
/// without saving (`unSave_bt`), or stay (`cancel_bt`, or closing the prompt).
class OfflineTips : public QDialog
{
    Q_OBJECT
public:
    enum Choice
    {
        Stay,
        SaveAndLeave,
        LeaveWithoutSaving
    };

    explicit OfflineTips(QWidget* parent = nullptr);

    /// Shows the prompt modally and returns the choice.
    Choice ask();
    Choice choice() const { return m_choice; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* unSaveButton() const { return m_unSave; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    void choose(Choice c);

    Choice m_choice = Stay;
    QPushButton* m_save;
    QPushButton* m_unSave;
    QPushButton* m_cancel;
};

#pragma once
#include <QString>
#include <QWidget>

class QPushButton;

/// The right-click menu of an offline device: "删除设备" (`del_bt`) and "创建副本" (`copy_dt`). A popup: it
/// closes itself after a choice or a click elsewhere.
class FormCustomContextMenu : public QWidget
{
    Q_OBJECT
public:
    explicit FormCustomContextMenu(QWidget* parent = nullptr);

    /// Shows the menu for `devId` with its top-left corner at `globalPos`.
    void popup(const QString& devId, const QPoint& globalPos);
    QString devId() const { return m_devId; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* copyButton() const { return m_copy; }
    /// Texts in the current interface language.
    void retranslate();

signals:
    void signal_delete(QString devId);
    void signal_copy(QString devId);

private:
    QString m_devId;
    QPushButton* m_delete;
    QPushButton* m_copy;
};

#pragma once
#include <QString>
#include <QWidget>

class QLabel;

/// One offline device in the offline device list: its name, model and identifier. A right click asks for the
/// device's context menu, a double click for its window.
class FormCustomListWidget : public QWidget
{
    Q_OBJECT
public:
    FormCustomListWidget(const QString& devId, const QString& name, const QString& model, QWidget* parent = nullptr);

    QString devId() const { return m_devId; }
    QString nameText() const;
    QString modelText() const;
    QString idText() const;
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

signals:
    void signal_contextMenu(QString devId, QPoint globalPos);
    void signal_doubleClicked(QString devId);
    void signal_clicked(QString devId);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString m_devId;
    QLabel* m_name;
    QLabel* m_model;
    QLabel* m_id;
    bool m_selected = false;
};

#pragma once
#include <QWidget>

class QComboBox;
class QEvent;
class QLabel;

/// The title bar of the network state page: column titles and the sort selector
/// (0 default order, 1 ascending and 2 descending running time). Its columns share the rows' geometry
/// (NetStateItemForm), so each title stands over its column; the selector sits over the version column.
class FormNetTitle : public QWidget
{
    Q_OBJECT
public:
    explicit FormNetTitle(QWidget* parent = nullptr);

    int sortIndex() const;
    /// Re-reads the translated texts (after a language change).
    void retranslate();
    /// The title label over a row column (NetStateItemForm::Column), or null for the version column.
    QLabel* titleLabel(int column) const { return m_cells.value(column, nullptr); }

signals:
    void sendSortIndex(int index);

public slots:
    void on_sort_comboBox_currentIndexChanged(int index);

protected:
    void changeEvent(QEvent* event) override;

private:
    QComboBox* m_sort = nullptr;
    QList<QLabel*> m_titles; ///< the five titled columns, in title order
    QList<QLabel*> m_cells;  ///< one per row column before the version column
};

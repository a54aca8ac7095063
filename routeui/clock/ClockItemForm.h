#pragma once
#include <QString>
#include <QVector>
#include <QWidget>

class QBoxLayout;
class QLabel;
class QPushButton;

/// One device row of the clock view. The column geometry is shared with the title bar (FormClockTitle) so
/// titles and cells line up: fixed scaled widths, the name column taking what is left.
class ClockItemForm : public QWidget
{
    Q_OBJECT
public:
    enum Column
    {
        TypeColumn,
        IdColumn,
        RoleColumn,
        SyncColumn,
        PpmColumn,
        PriorityColumn,
        NameColumn,
        IpColumn,
        BandwidthColumn,
        ColumnCount
    };

    /// What a row shows; every field is display text.
    struct Fields
    {
        QString type;
        QString devId;
        QString role;
        QString sync;
        QString ppm;
        QString priority;
        bool canEdit = false; ///< the edit button next to the priority
        QString name;
        QString ip;
        QString bandwidth;

        bool operator==(const Fields& o) const;
        bool operator!=(const Fields& o) const { return !(*this == o); }
    };

    /// `row` names the edit button (its object name is the row number).
    explicit ClockItemForm(int row, QWidget* parent = nullptr);

    /// Changes only the cells that differ; an unchanged row costs one comparison.
    void setFields(const Fields& fields);
    const Fields& fields() const { return m_fields; }
    int row() const { return m_row; }

    QLabel* cell(Column column) const { return m_cells.value(int(column), nullptr); }
    QPushButton* editButton() const { return m_edit; }

    /// Width of a fixed column (0 for the stretching name column).
    static int columnWidth(Column column);
    /// Lays out one widget per column in `layout` the way rows do.
    static void layOutColumns(QBoxLayout* layout, const QVector<QWidget*>& cells, int extraRight = 0);
    static int fontPixels();

signals:
    /// The edit button of this row was clicked.
    void signal_changePriority(int row);

public slots:
    void change_bt_clicked();

private:
    int m_row;
    Fields m_fields;
    QVector<QLabel*> m_cells;
    QWidget* m_priorityCell = nullptr;
    QPushButton* m_edit = nullptr;
};

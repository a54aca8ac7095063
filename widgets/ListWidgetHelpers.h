#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QAbstractItemView;
class QBoxLayout;
class QWidget;
class QTableWidget;

/// Helpers for the shell's lists, which are rebuilt from the store at every refresh.
class ListWidgetHelpers
{
public:
    /// The shell's dark list look: no grid, whole-row selection, scaled row height and font.
    static void applyListStyle(QTableWidget* table);
    /// Makes the table's rows `rows` (one text per column; missing cells stay empty), rewriting only cells
    /// whose text changed; returns whether anything changed. The row whose key-column text was selected
    /// stays selected when it is still present, so a refresh never loses it.
    static bool setRows(QTableWidget* table, const QVector<QStringList>& rows, int keyColumn = 0);
    /// The texts of one row, for tests and copy actions; empty for a row out of range.
    static QStringList rowTexts(const QTableWidget* table, int row);
    /// Lays the cells of a row of columns (and its header) out left to right: `stretchColumn` takes the room
    /// left, never less than 60 px, so it can't hide the others; every other cell keeps `widthOf(column)`.
    /// `extraRight` leaves room on the right (a header above a list with a scroll bar).
    static void layOutColumns(QBoxLayout* layout, const QVector<QWidget*>& cells, int stretchColumn,
                              const std::function<int(int)>& widthOf, int extraRight);
};

#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

class QAbstractItemView;
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
};

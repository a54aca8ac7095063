#include "ListWidgetHelpers.h"

#include "UiScale.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QTableWidget>

void ListWidgetHelpers::applyListStyle(QTableWidget* table)
{
    table->setShowGrid(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(UiScale::px(26));
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setHighlightSections(false);
    // Sized once per change by setRows: resizing to contents at every cell write is quadratic.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->setStyleSheet(QStringLiteral("QTableWidget{background:#1e242c;color:#d8dee6;border:none;font-size:%1px;"
                                        "selection-background-color:#0a5a8a;}"
                                        "QTableCornerButton::section{background:#262e38;border:none;}")
                             .arg(UiScale::fontPx(12)));
    // The header's own sheet: a table's sheet does not reach the header sections under every style.
    table->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView{background:#262e38;}"
                                                            "QHeaderView::section{background:#262e38;color:#9fb0c3;"
                                                            "border:none;padding:%1px;font-size:%2px;}")
                                                 .arg(UiScale::px(4))
                                                 .arg(UiScale::fontPx(12)));
}

bool ListWidgetHelpers::setRows(QTableWidget* table, const QVector<QStringList>& rows, int keyColumn)
{
    QString selectedKey;
    const int current = table->currentRow();
    if (current >= 0 && table->item(current, keyColumn) != nullptr)
        selectedKey = table->item(current, keyColumn)->text();

    // Cells are rewritten only where their text changed, so a refresh of an unchanged list of
    // thousands of devices costs a comparison per cell.
    bool changed = table->rowCount() != rows.size();
    table->setUpdatesEnabled(false);
    table->setRowCount(rows.size());
    int reselect = -1;
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList& cells = rows.at(r);
        for (int c = 0; c < table->columnCount(); ++c) {
            const QString text = c < cells.size() ? cells.at(c) : QString();
            QTableWidgetItem* item = table->item(r, c);
            if (item == nullptr) {
                table->setItem(r, c, new QTableWidgetItem(text));
                changed = true;
            } else if (item->text() != text) {
                item->setText(text);
                changed = true;
            }
        }
        if (!selectedKey.isEmpty() && keyColumn < cells.size() && cells.at(keyColumn) == selectedKey)
            reselect = r;
    }
    if (changed)
        table->resizeColumnsToContents();
    if (reselect >= 0 && reselect != current)
        table->selectRow(reselect);
    else if (reselect < 0 && current >= 0 && !selectedKey.isEmpty())
        table->clearSelection();
    table->setUpdatesEnabled(true);
    return changed;
}

QStringList ListWidgetHelpers::rowTexts(const QTableWidget* table, int row)
{
    QStringList out;
    if (row < 0 || row >= table->rowCount())
        return out;
    for (int c = 0; c < table->columnCount(); ++c) {
        const QTableWidgetItem* item = table->item(row, c);
        out << (item != nullptr ? item->text() : QString());
    }
    return out;
}

void ListWidgetHelpers::layOutColumns(QBoxLayout* layout, const QVector<QWidget*>& cells, int stretchColumn,
                                      const std::function<int(int)>& widthOf, int extraRight)
{
    layout->setContentsMargins(UiScale::px(8), 0, UiScale::px(8) + extraRight, 0);
    layout->setSpacing(UiScale::px(6));
    for (int c = 0; c < cells.size(); ++c) {
        QWidget* cell = cells.at(c);
        if (c == stretchColumn) {
            cell->setMinimumWidth(UiScale::px(60));
            cell->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            layout->addWidget(cell, 1);
        } else {
            cell->setFixedWidth(widthOf(c));
            layout->addWidget(cell, 0);
        }
    }
}

#pragma once
#include <QString>
#include <QVector>
#include <QWidget>

class QBoxLayout;
class QLabel;

/// One row of the network state page. The column geometry is shared with the page's title bar (FormNetTitle),
/// so titles and cells line up: fixed scaled widths, the name column taking what is left.
class NetStateItemForm : public QWidget
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn,
        TypeColumn,
        IdColumn,
        SampleRateColumn,
        PacketTimeColumn,
        LatencyColumn,
        TemperatureColumn,
        RunningTimeColumn,
        VersionColumn,
        ColumnCount
    };

    /// What a row shows; every field is display text.
    struct Fields
    {
        QString devId;
        QString name;
        QString type;
        QString sampleRate;
        QString packetTime;
        QString latency;
        QString temperature; ///< e.g. "45.5℃"; empty until the device answers
        QString runningTime; ///< "h:m:s"; empty until the device answers
        QString version;

        bool operator==(const Fields& o) const;
        bool operator!=(const Fields& o) const { return !(*this == o); }
    };

    explicit NetStateItemForm(QWidget* parent = nullptr);

    /// Changes only the cells whose text differs.
    void setFields(const Fields& fields);
    const Fields& fields() const { return m_fields; }
    QString devId() const { return m_fields.devId; }
    QString runningTimeText() const { return m_fields.runningTime; }

    /// Shows a warning text in place of the plain name (empty: the name again).
    void setWarning(const QString& text);
    QString warningText() const { return m_warning; }
    /// The whole text of the name column (the label shows it elided to the column, with it as tooltip).
    QString nameText() const;
    /// The label of a column (tests and the title bar's alignment checks).
    QLabel* cell(Column column) const { return m_cells.value(int(column), nullptr); }

    // ---- Column geometry shared with the title bar ----------------------------------------------------

    /// Scaled width of a fixed column; 0 for the name column, which stretches.
    static int columnWidth(Column column);
    /// Lays `cells` (one per column, in column order) out with the shared widths, spacing and margins;
    /// `extraRight` is added to the right margin (the title bar reserves the list's scroll bar there).
    static void layOutColumns(QBoxLayout* layout, const QVector<QWidget*>& cells, int extraRight = 0);
    /// Scaled room the title bar keeps free at its right for the list's vertical scroll bar (always shown);
    /// rows add what the real scroll bar leaves of it to their right margin (setRightSlack).
    static int scrollBarWidth();
    /// Extra right margin, so the row's columns end where the title bar's do.
    void setRightSlack(int pixels);
    /// Scaled row height and font pixel size of the page.
    static int rowHeight();
    static int fontPixels();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCellText(Column column, const QString& text);
    void updateNameLabel();

    Fields m_fields;
    QString m_warning;
    QVector<QLabel*> m_cells;
};

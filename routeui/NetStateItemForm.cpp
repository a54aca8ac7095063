#include "NetStateItemForm.h"

#include "ListWidgetHelpers.h"
#include "UiScale.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVariant>

namespace {

// Design widths of the fixed columns (name first: it stretches).
constexpr int kDesignWidths[NetStateItemForm::ColumnCount] = {0, 96, 96, 48, 56, 64, 52, 64, 92};
constexpr const char* kObjectNames[NetStateItemForm::ColumnCount] = {
    "name_label",    "type_label",        "id_label",          "sampleRate_label", "packetTime_label",
    "latency_label", "temperature_label", "runningTime_label", "version_label"};
// Read by the page's style sheet: a row in warning shows its name column in the warning colour.
const char* const kWarningProperty = "warning";

} // namespace

bool NetStateItemForm::Fields::operator==(const Fields& o) const
{
    return devId == o.devId && name == o.name && type == o.type && sampleRate == o.sampleRate &&
           packetTime == o.packetTime && latency == o.latency && temperature == o.temperature &&
           runningTime == o.runningTime && version == o.version;
}

NetStateItemForm::NetStateItemForm(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    QVector<QWidget*> cells;
    for (int c = 0; c < ColumnCount; ++c) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(kObjectNames[c]));
        m_cells.append(label);
        cells.append(label);
    }
    layOutColumns(layout, cells);
    m_cells.at(NameColumn)->setProperty(kWarningProperty, false);
    m_cells.at(NameColumn)->installEventFilter(this);
}

int NetStateItemForm::columnWidth(Column column)
{
    const int c = int(column);
    if (c <= NameColumn || c >= ColumnCount)
        return 0;
    return UiScale::px(kDesignWidths[c]);
}

void NetStateItemForm::layOutColumns(QBoxLayout* layout, const QVector<QWidget*>& cells, int extraRight)
{
    ListWidgetHelpers::layOutColumns(
        layout, cells.mid(0, ColumnCount), NameColumn, [](int c) { return columnWidth(Column(c)); }, extraRight);
}

int NetStateItemForm::scrollBarWidth()
{
    // Wider than any style's scroll bar; the rows take up the difference.
    return UiScale::px(16);
}

void NetStateItemForm::setRightSlack(int pixels)
{
    QMargins m = layout()->contentsMargins();
    const int right = UiScale::px(8) + pixels;
    if (m.right() == right)
        return;
    m.setRight(right);
    layout()->setContentsMargins(m);
}

int NetStateItemForm::rowHeight()
{
    return UiScale::px(26);
}

int NetStateItemForm::fontPixels()
{
    return UiScale::fontPx(12);
}

void NetStateItemForm::setFields(const Fields& fields)
{
    if (fields == m_fields)
        return;
    m_fields = fields;
    setCellText(TypeColumn, fields.type);
    setCellText(IdColumn, fields.devId);
    setCellText(SampleRateColumn, fields.sampleRate);
    setCellText(PacketTimeColumn, fields.packetTime);
    setCellText(LatencyColumn, fields.latency);
    setCellText(TemperatureColumn, fields.temperature);
    setCellText(RunningTimeColumn, fields.runningTime);
    setCellText(VersionColumn, fields.version);
    updateNameLabel();
}

void NetStateItemForm::setWarning(const QString& text)
{
    if (text == m_warning)
        return;
    m_warning = text;
    updateNameLabel();
}

QString NetStateItemForm::nameText() const
{
    return m_warning.isEmpty() ? m_fields.name : m_warning;
}

bool NetStateItemForm::eventFilter(QObject* watched, QEvent* event)
{
    // Only the name column changes width (with the row and its margins): cut its text again.
    if (watched == m_cells.at(NameColumn) && event->type() == QEvent::Resize)
        setCellText(NameColumn, nameText());
    return QWidget::eventFilter(watched, event);
}

void NetStateItemForm::setCellText(Column column, const QString& text)
{
    QLabel* label = m_cells.at(int(column));
    const int width = column == NameColumn ? label->width() : columnWidth(column);
    // The page's style sheet sets the font: measure with it.
    label->ensurePolished();
    // Long texts are cut to the column, whole in the tooltip, so they never push the other columns aside.
    const QString shown = width > 0 ? label->fontMetrics().elidedText(text, Qt::ElideRight, width) : text;
    label->setText(shown);
    const bool wholeTip = shown != text || (column == NameColumn && !m_warning.isEmpty());
    label->setToolTip(wholeTip ? text : QString());
}

void NetStateItemForm::updateNameLabel()
{
    QLabel* name = m_cells.at(NameColumn);
    setCellText(NameColumn, nameText());
    const bool warning = !m_warning.isEmpty();
    if (name->property(kWarningProperty).toBool() == warning)
        return;
    name->setProperty(kWarningProperty, warning);
    // The property selects the warning colour in the page's style sheet; re-polish to apply it.
    name->style()->unpolish(name);
    name->style()->polish(name);
}

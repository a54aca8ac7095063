#include "ClockItemForm.h"

#include "ListWidgetHelpers.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr int kDesignWidths[ClockItemForm::ColumnCount] = {116, 96, 72, 60, 52, 72, 0, 96, 120};
constexpr const char* kObjectNames[ClockItemForm::ColumnCount] = {
    "lab_type", "lab_devId", "lab_master", "lab_sync", "lab_ppm", "lab_priority", "lab_name", "lab_ip", "lab_bandwith"};

// A pencil, drawn once per size: rows share it instead of each painting its own.
QPixmap editIcon(int w, int h)
{
    static QPixmap cached;
    if (cached.width() == w && cached.height() == h)
        return cached;
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = qMin(w, h) * 0.8;
    p.translate((w - s) / 2.0, (h - s) / 2.0);
    QPainterPath pencil;
    pencil.moveTo(s * 0.15, s * 0.85);
    pencil.lineTo(s * 0.25, s * 0.6);
    pencil.lineTo(s * 0.7, s * 0.15);
    pencil.lineTo(s * 0.85, s * 0.3);
    pencil.lineTo(s * 0.4, s * 0.75);
    pencil.closeSubpath();
    p.setPen(QPen(QColor(0x9f, 0xd3, 0xff), qMax<qreal>(1.0, s / 12)));
    p.setBrush(QColor(0x2d, 0x8c, 0xd8));
    p.drawPath(pencil);
    cached = pm;
    return cached;
}

} // namespace

bool ClockItemForm::Fields::operator==(const Fields& o) const
{
    return type == o.type && devId == o.devId && role == o.role && sync == o.sync && ppm == o.ppm &&
           priority == o.priority && canEdit == o.canEdit && name == o.name && ip == o.ip && bandwidth == o.bandwidth;
}

ClockItemForm::ClockItemForm(int row, QWidget* parent) : QWidget(parent), m_row(row)
{
    setObjectName(QStringLiteral("item_%1").arg(row));
    auto* layout = new QHBoxLayout(this);
    QVector<QWidget*> cells;
    for (int c = 0; c < ColumnCount; ++c) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(kObjectNames[c]));
        m_cells.append(label);
        cells.append(label);
    }
    // The priority column holds its label and the edit button side by side.
    m_priorityCell = new QWidget(this);
    auto* pl = new QHBoxLayout(m_priorityCell);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->setSpacing(UiScale::px(4));
    m_cells.at(PriorityColumn)->setParent(m_priorityCell);
    pl->addWidget(m_cells.at(PriorityColumn));
    m_edit = new QPushButton(m_priorityCell);
    m_edit->setObjectName(QString::number(row));
    m_edit->setFixedSize(UiScale::px(25), UiScale::px(16));
    m_edit->setFlat(true);
    m_edit->setCursor(Qt::PointingHandCursor);
    m_edit->setIcon(QIcon(editIcon(m_edit->width(), m_edit->height())));
    m_edit->setIconSize(m_edit->size());
    // Hidden but still holding its room, so priorities line up whether a row can edit or not.
    QSizePolicy keep = m_edit->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_edit->setSizePolicy(keep);
    m_edit->hide();
    pl->addWidget(m_edit);
    pl->addStretch(1);
    cells[PriorityColumn] = m_priorityCell;
    layOutColumns(layout, cells);
    connect(m_edit, &QPushButton::clicked, this, &ClockItemForm::change_bt_clicked);
}

int ClockItemForm::columnWidth(Column column)
{
    const int c = int(column);
    if (c < 0 || c >= ColumnCount || c == NameColumn)
        return 0;
    return UiScale::px(kDesignWidths[c]);
}

int ClockItemForm::fontPixels()
{
    return UiScale::fontPx(12);
}

void ClockItemForm::layOutColumns(QBoxLayout* layout, const QVector<QWidget*>& cells, int extraRight)
{
    ListWidgetHelpers::layOutColumns(
        layout, cells.mid(0, ColumnCount), NameColumn, [](int c) { return columnWidth(Column(c)); }, extraRight);
}

void ClockItemForm::setFields(const Fields& f)
{
    if (f == m_fields)
        return;
    const QString* texts[ColumnCount] = {&f.type,     &f.devId, &f.role, &f.sync,     &f.ppm,
                                         &f.priority, &f.name,  &f.ip,   &f.bandwidth};
    for (int c = 0; c < ColumnCount; ++c) {
        QLabel* label = m_cells.at(c);
        if (label->text() != *texts[c])
            label->setText(*texts[c]);
    }
    if (m_edit->isHidden() == f.canEdit)
        m_edit->setVisible(f.canEdit);
    if (f.name != m_fields.name)
        m_cells.at(NameColumn)->setToolTip(f.name);
    m_fields = f;
}

void ClockItemForm::change_bt_clicked()
{
    emit signal_changePriority(m_edit->objectName().toInt());
}

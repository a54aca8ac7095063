#include "DspDynamicsForm.h"

#include "CBaseItem.h"
#include "DspDynamicsChart.h"
#include "DynamicsRules.h"
#include "UiScale.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

QProgressBar* meter(const QString& name, QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setOrientation(Qt::Vertical);
    bar->setRange(DspDynamicsForm::kMeterFloorDb, 0);
    bar->setValue(DspDynamicsForm::kMeterFloorDb);
    bar->setTextVisible(false);
    bar->setFixedWidth(UiScale::px(14));
    bar->setMinimumHeight(UiScale::px(150));
    return bar;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

DspDynamicsForm::DspDynamicsForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, bool withChart,
                                 QWidget* parent)
    : DspBlockBaseForm(data, isInput, chIndex, blockIndex, parent)
{
    setCommonBypassVisible(false);
    // The common level and status readouts are shown on this editor's own meters instead.
    QProgressBar* level = findChild<QProgressBar*>(QStringLiteral("meter"));
    for (const char* name : {"lb_level", "lb_statusGain"}) {
        if (QLabel* l = findChild<QLabel*>(QLatin1String(name)))
            l->hide();
    }

    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("dynamics_body"));
    body->setStyleSheet(QStringLiteral(
        "QDoubleSpinBox,QComboBox{background:#2a2f38;color:#e6e9ee;border:1px solid #3a414d;padding:2px;}"
        "QProgressBar#volume_meter{background:#2a2f38;border:1px solid #3a414d;}"
        "QProgressBar#volume_meter::chunk{background:#3fbf6f;}"
        // The reduction hangs from the top: the empty part is drawn in the warning colour.
        "QProgressBar#reduce_meter{background:#e08a2e;border:1px solid #3a414d;}"
        "QProgressBar#reduce_meter::chunk{background:#2a2f38;}"
        "QPushButton#bypass_bt{background:#2a2f38;color:#e6e9ee;border:1px solid #3a414d;padding:4px 14px;}"
        "QPushButton#bypass_bt:checked{background:#c0392b;color:white;}"));

    m_columns = new QHBoxLayout;
    m_columns->setSpacing(UiScale::px(10));

    auto* meters = new QGridLayout;
    meters->addWidget(label(QStringLiteral("volume_caption"), QStringLiteral("Volume"), body), 0, 0);
    meters->addWidget(label(QStringLiteral("reduce_caption"), QStringLiteral("Reduce"), body), 0, 1);
    m_volume = meter(QStringLiteral("volume_meter"), body);
    m_reduce = meter(QStringLiteral("reduce_meter"), body);
    m_reduce->setValue(0);
    m_volumeValue = label(QStringLiteral("volume_value"), QString::number(levelDb()), body);
    m_reduceValue = label(QStringLiteral("reduce_value"), QStringLiteral("0"), body);
    meters->addWidget(m_volume, 1, 0, Qt::AlignHCenter);
    meters->addWidget(m_reduce, 1, 1, Qt::AlignHCenter);
    meters->addWidget(m_volumeValue, 2, 0);
    meters->addWidget(m_reduceValue, 2, 1);
    meters->setRowStretch(1, 1);

    auto* row = new QHBoxLayout;
    row->addLayout(m_columns);
    if (withChart) {
        m_chart = new DspDynamicsChart(body);
        // A transfer curve reads best with both level axes at the same scale.
        m_chart->setMaximumWidth(UiScale::px(380));
        row->addWidget(m_chart, 1);
    } else {
        row->addStretch(1);
    }
    row->addLayout(meters);

    m_bypassButton = new QPushButton(QStringLiteral("BYPASS"), body);
    m_bypassButton->setObjectName(QStringLiteral("bypass_bt"));
    m_bypassButton->setCheckable(true);
    connect(m_bypassButton, &QPushButton::clicked, this, [this](bool on) { sendBypass(this->blockIndex(), on); });
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_bypassButton);

    auto* box = new QVBoxLayout(body);
    box->setContentsMargins(0, 0, 0, 0);
    box->addLayout(row, 1);
    box->addLayout(bottom);
    setBody(body);
    resize(UiScale::px(withChart ? 760 : 640), UiScale::px(380));

    if (level != nullptr) {
        level->hide();
        connect(level, &QProgressBar::valueChanged, this, [this] { showVolume(levelDb()); });
    }
    connect(this, &DspBlockBaseForm::signal_statusGain, this, &DspDynamicsForm::showReduction);
}

DspSliderSpin* DspDynamicsForm::addControl(const QString& name, const QString& caption, const QString& unit,
                                           const DspSliderSpin::Range& range)
{
    auto* control = new DspSliderSpin(name, caption, unit, range, this);
    addColumn(control);
    return control;
}

void DspDynamicsForm::addColumn(QWidget* column)
{
    m_columns->addWidget(column);
}

bool DspDynamicsForm::acceptEdit(double stored, double typed)
{
    if (!DynamicsRules::changed(stored, typed))
        return false;
    return !refuseWhenLocked();
}

void DspDynamicsForm::showCurve(const QVector<QPointF>& points)
{
    if (m_chart != nullptr)
        m_chart->setCurve(points);
}

void DspDynamicsForm::refreshFromModel()
{
    DspBlockBaseForm::refreshFromModel();
    if (m_bypassButton == nullptr)
        return;
    const CBaseItem* b = block();
    const QSignalBlocker blocker(m_bypassButton);
    m_bypassButton->setChecked(b != nullptr && b->isBypass());
    m_bypassButton->setEnabled(b != nullptr);
}

void DspDynamicsForm::showVolume(int db)
{
    m_volume->setValue(qBound(kMeterFloorDb, db, 0));
    m_volumeValue->setText(QString::number(db));
}

void DspDynamicsForm::showReduction(double db)
{
    // The meter takes the whole decibels of the rounded gain.
    const int whole = std::isfinite(db) ? int(db) : kMeterFloorDb;
    m_reduce->setValue(qBound(kMeterFloorDb, whole, 0));
    m_reduceValue->setText(QString::number(whole));
}

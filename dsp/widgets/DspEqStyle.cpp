#include "DspEqStyle.h"

#include "AppState.h"
#include "EqDragMapping.h"
#include "UiScale.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

QString DspEqStyle::controls()
{
    return QStringLiteral(
        "QLabel{color:#d7dbe2;}"
        "QComboBox,QDoubleSpinBox{background:#2a2f38;color:#e4e7ec;border:1px solid #3e4551;border-radius:3px;"
        "padding:1px 4px;}"
        "QComboBox{padding:1px 2px;}"
        "QComboBox:disabled,QDoubleSpinBox:disabled,QPushButton:disabled{color:#6b7280;}"
        "QComboBox QAbstractItemView{background:#2a2f38;color:#e4e7ec;selection-background-color:#2f6db5;}"
        "QPushButton{background:#2a2f38;color:#e4e7ec;border:1px solid #3e4551;border-radius:3px;padding:2px 10px;}"
        "QPushButton:checked{background:#b4542a;color:#ffffff;border-color:#d9822b;}"
        "QPushButton#pb_phase:checked{background:#2f6db5;border-color:#4f8fdb;}"
        "QScrollArea{background:transparent;border:none;}"
        "QWidget#band_strip{background:transparent;}"
        "QSlider::groove:horizontal{height:4px;background:#3e4551;border-radius:2px;}"
        "QSlider::handle:horizontal{width:12px;margin:-5px 0;background:#f0a040;border-radius:6px;}");
}

int DspEqStyle::rowHeight()
{
    return qMax(UiScale::px(24), 24); // the texts keep their size on small screens
}

QWidget* DspEqStyle::rowLabels(QWidget* parent)
{
    auto* w = new QWidget(parent);
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, UiScale::px(4), 0);
    layout->setSpacing(UiScale::px(4));
    const QString texts[] = {QString(),
                             AppState::pick(QStringLiteral("类型"), QStringLiteral("Type")),
                             AppState::pick(QStringLiteral("频率(Hz)"), QStringLiteral("Freq (Hz)")),
                             AppState::pick(QStringLiteral("增益(dB)"), QStringLiteral("Gain (dB)")),
                             AppState::pick(QStringLiteral("Q/带宽"), QStringLiteral("Q/BW")),
                             QString()};
    for (const QString& t : texts) {
        auto* l = new QLabel(t, w);
        l->setFixedHeight(rowHeight());
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(l);
    }
    return w;
}

double DspEqStyle::minHz()
{
    return EqDragMapping::frequencyAt(0);
}

double DspEqStyle::maxHz()
{
    return EqDragMapping::frequencyAt(1 << 20);
}

#include "DspFirForm.h"

#include "CFirItem.h"
#include "DspFirChartView.h"
#include "DspUiLog.h"
#include "DynamicsRules.h"
#include "FirCoefficientReader.h"
#include "FirDesign.h"
#include "UiScale.h"

#include "FileDialogs.h"
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kSliderSteps = 1000;

/// The edge sliders are logarithmic: 20 Hz at 0, 20 kHz at the end.
int toSlider(double hz)
{
    const double ratio = std::log(qBound(DspFirForm::kMinEdgeHz, hz, DspFirForm::kMaxEdgeHz) / DspFirForm::kMinEdgeHz) /
                         std::log(DspFirForm::kMaxEdgeHz / DspFirForm::kMinEdgeHz);
    return int(std::lround(ratio * kSliderSteps));
}

double fromSlider(int position)
{
    const double hz = DspFirForm::kMinEdgeHz *
                      std::pow(DspFirForm::kMaxEdgeHz / DspFirForm::kMinEdgeHz, double(position) / kSliderSteps);
    return std::round(hz * 10) / 10;
}

/// Selects the entry holding `value`, adding one when the device uses a value the list lacks.
void selectValue(QComboBox* box, int value, const QString& text)
{
    const QSignalBlocker blocker(box);
    int i = box->findData(value);
    if (i < 0) {
        box->addItem(text, value);
        i = box->count() - 1;
    }
    box->setCurrentIndex(i);
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setMinimumWidth(qMax(UiScale::px(80), 80));
    return l;
}

QComboBox* combo(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setMinimumWidth(qMax(UiScale::px(110), 110));
    return box;
}

int boundedMaxTaps(int maxTaps)
{
    return qBound(1, maxTaps, FirCoefficientReader::kMaxCount);
}

} // namespace

DspFirForm::DspFirForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspBlockBaseForm(data, isInput, chIndex, blockIndex, parent)
{
    setObjectName(QStringLiteral("DspFirForm"));
    m_pickFile = [this] {
        return FileDialogs::openFileName(this, QStringLiteral("Select fir file"), QString(), QStringLiteral("*.*"));
    };
    m_notice = [this](const QString& title, const QString& text) { QMessageBox::information(this, title, text); };

    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("fir_body"));
    body->setStyleSheet(QStringLiteral(
        "QComboBox,QDoubleSpinBox,QTextBrowser{background:#2a2f38;color:#e6e9ee;border:1px solid #3a414d;"
        "padding:2px;}"
        "QComboBox:disabled{color:#7d8592;}"
        "QPushButton{background:#2a2f38;color:#e6e9ee;border:1px solid #3a414d;padding:4px 14px;}"
        "QPushButton:pressed{background:#3a414d;}"));

    m_type = combo(QStringLiteral("cb_type"), body);
    m_type->addItem(QStringLiteral("LowPass"), CFirItem::LowPass);
    m_type->addItem(QStringLiteral("HighPass"), CFirItem::HighPass);
    m_type->addItem(QStringLiteral("Band"), CFirItem::BandPass);
    m_type->addItem(QStringLiteral("Custom"), CFirItem::Custom);
    m_window = combo(QStringLiteral("cb_window"), body);
    const char* windows[] = {"Rectangle", "Hanning", "Hamming", "Blackman", "Kaiser"};
    for (int i = 0; i < 5; ++i)
        m_window->addItem(QLatin1String(windows[i]), i);
    m_attDb = combo(QStringLiteral("cb_attDb"), body);
    for (int db : {21, 30, 40, 50, 60, 70, 80, 90, 100})
        m_attDb->addItem(QStringLiteral("%1 dB").arg(db), db);
    m_taps = combo(QStringLiteral("cb_taps"), body);

    auto* grid = new QGridLayout;
    grid->addWidget(caption(QStringLiteral("Type"), body), 0, 0);
    grid->addWidget(m_type, 0, 1);
    grid->addWidget(caption(QStringLiteral("Window"), body), 0, 2);
    grid->addWidget(m_window, 0, 3);
    grid->addWidget(caption(QStringLiteral("attDb"), body), 1, 0);
    grid->addWidget(m_attDb, 1, 1);
    grid->addWidget(caption(QStringLiteral("Taps"), body), 1, 2);
    grid->addWidget(m_taps, 1, 3);
    grid->setColumnStretch(4, 1);

    m_hpfRow = buildEdge(QStringLiteral("hpf"), QStringLiteral("HighPass"), &m_hpfSlider, &m_hpfSpin);
    m_lpfRow = buildEdge(QStringLiteral("lpf"), QStringLiteral("LowPass"), &m_lpfSlider, &m_lpfSpin);

    m_customBox = new QWidget(body);
    m_customBox->setObjectName(QStringLiteral("custom_box"));
    m_import = new QPushButton(QStringLiteral("导入参数"), m_customBox);
    m_import->setObjectName(QStringLiteral("pb_import"));
    m_customCount = new QLabel(m_customBox);
    m_customCount->setObjectName(QStringLiteral("lb_customTaps"));
    m_coefficients = new QTextBrowser(m_customBox);
    m_coefficients->setObjectName(QStringLiteral("textbrowser_customfir"));
    m_coefficients->setMaximumHeight(qMax(UiScale::px(90), 90));
    auto* customTop = new QHBoxLayout;
    customTop->addWidget(m_import);
    customTop->addWidget(m_customCount);
    customTop->addStretch();
    auto* customBox = new QVBoxLayout(m_customBox);
    customBox->setContentsMargins(0, 0, 0, 0);
    customBox->addLayout(customTop);
    customBox->addWidget(m_coefficients);

    m_chart = new DspFirChartView(body);

    auto* box = new QVBoxLayout(body);
    box->setContentsMargins(0, 0, 0, 0);
    box->addLayout(grid);
    box->addWidget(m_hpfRow);
    box->addWidget(m_lpfRow);
    box->addWidget(m_customBox);
    box->addWidget(m_chart, 1);
    setBody(body);
    resize(UiScale::px(760), UiScale::px(600));

    connect(m_type, qOverload<int>(&QComboBox::currentIndexChanged), this, &DspFirForm::onType);
    connect(m_window, qOverload<int>(&QComboBox::currentIndexChanged), this, &DspFirForm::onWindow);
    connect(m_attDb, qOverload<int>(&QComboBox::currentIndexChanged), this, &DspFirForm::onAttDb);
    connect(m_taps, qOverload<int>(&QComboBox::currentIndexChanged), this, &DspFirForm::onTaps);
    connect(m_hpfSlider, &QSlider::valueChanged, this, [this](int pos) { onHighPassEdge(fromSlider(pos)); });
    connect(m_hpfSpin, &QDoubleSpinBox::editingFinished, this, [this] { onHighPassEdge(m_hpfSpin->value()); });
    connect(m_lpfSlider, &QSlider::valueChanged, this, [this](int pos) { onLowPassEdge(fromSlider(pos)); });
    connect(m_lpfSpin, &QDoubleSpinBox::editingFinished, this, [this] { onLowPassEdge(m_lpfSpin->value()); });
    connect(m_import, &QPushButton::clicked, this, &DspFirForm::onImport);
    refreshFromModel();
}

QWidget* DspFirForm::buildEdge(const QString& name, const QString& text, QSlider** slider, QDoubleSpinBox** spin)
{
    auto* row = new QWidget(this);
    row->setObjectName(name + QStringLiteral("_row"));
    *slider = new QSlider(Qt::Horizontal, row);
    (*slider)->setObjectName(QStringLiteral("slider_") + name);
    (*slider)->setRange(0, kSliderSteps);
    *spin = new QDoubleSpinBox(row);
    (*spin)->setObjectName(QStringLiteral("ds_") + name);
    (*spin)->setRange(kMinEdgeHz, kMaxEdgeHz);
    (*spin)->setDecimals(1);
    (*spin)->setKeyboardTracking(false);
    (*spin)->setButtonSymbols(QAbstractSpinBox::NoButtons);
    (*spin)->setAlignment(Qt::AlignCenter);
    (*spin)->setMinimumWidth(qMax(UiScale::px(80), 80));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption(text, row));
    layout->addWidget(*slider, 1);
    layout->addWidget(*spin);
    layout->addWidget(new QLabel(QStringLiteral("Hz"), row));
    return row;
}

CFirItem* DspFirForm::item() const
{
    return dynamic_cast<CFirItem*>(block());
}

void DspFirForm::fillTaps(int maxTaps, int current)
{
    const QSignalBlocker blocker(m_taps);
    m_taps->clear();
    // Odd lengths keep a whole-sample centre, which a high-pass needs.
    for (int n = 31; n <= boundedMaxTaps(maxTaps); n = n * 2 + 1)
        m_taps->addItem(QString::number(n), n);
    selectValue(m_taps, current, QString::number(current));
}

void DspFirForm::refreshFromModel()
{
    DspBlockBaseForm::refreshFromModel();
    const CFirItem* b = item();
    if (m_type == nullptr || b == nullptr)
        return;
    selectValue(m_type, b->firType(), QString::number(b->firType()));
    selectValue(m_window, b->winType(), QString::number(b->winType()));
    selectValue(m_attDb, b->attDb(), QStringLiteral("%1 dB").arg(b->attDb()));
    fillTaps(b->maxTaps(), b->taps());
    showEdges(*b);
    const QVector<double> coeffs = FirCoefficientReader::fromJsonArray(b->arr());
    QStringList lines;
    lines.reserve(coeffs.size());
    for (double v : coeffs)
        lines << QString::number(v, 'g', 10);
    m_coefficients->setPlainText(lines.join(QLatin1Char('\n')));
    m_customCount->setText(QStringLiteral("Taps: %1 / %2").arg(b->arrLength()).arg(b->maxTaps()));
    updateVisibility(b->firType());
    redrawGraph();
}

void DspFirForm::showEdges(const CFirItem& b)
{
    const QSignalBlocker a(m_hpfSlider);
    const QSignalBlocker c(m_hpfSpin);
    const QSignalBlocker d(m_lpfSlider);
    const QSignalBlocker e(m_lpfSpin);
    m_hpfSpin->setValue(b.freq0());
    m_hpfSlider->setValue(toSlider(b.freq0()));
    m_lpfSpin->setValue(b.freq1());
    m_lpfSlider->setValue(toSlider(b.freq1()));
}

void DspFirForm::updateVisibility(int firType)
{
    const bool custom = firType == CFirItem::Custom;
    m_hpfRow->setVisible(firType == CFirItem::HighPass || firType == CFirItem::BandPass);
    m_lpfRow->setVisible(firType == CFirItem::LowPass || firType == CFirItem::BandPass);
    m_customBox->setVisible(custom);
    m_window->setEnabled(!custom);
    m_taps->setEnabled(!custom);
    // Only the Kaiser window is designed for an attenuation.
    m_attDb->setEnabled(!custom && m_window->currentData().toInt() == 4);
}

void DspFirForm::redrawGraph()
{
    const CFirItem* b = item();
    if (b == nullptr)
        return;
    QElapsedTimer timer;
    timer.start();
    const QVector<double> coeffs =
        b->firType() == CFirItem::Custom
            ? FirCoefficientReader::fromJsonArray(b->arr())
            : FirDesign::design(b->firType(), b->winType(), b->taps(), b->freq0(), b->freq1(), b->attDb());
    m_chart->setCurve(FirDesign::response(coeffs));
    qCDebug(lcDspUi) << "refresh graph use time :" << timer.nsecsElapsed() / 1e6 << "ms";
}

bool DspFirForm::accept(double stored, double typed)
{
    if (!DynamicsRules::changed(stored, typed))
        return false;
    return !refuseWhenLocked();
}

void DspFirForm::onType(int index)
{
    CFirItem* b = item();
    const int type = m_type->itemData(index).toInt();
    if (b == nullptr || !accept(b->firType(), type))
        return;
    b->setFirType(type);
    // Each type keeps only the edges it uses, and those within the range the controls offer.
    auto inRange = [](double hz) { return qBound(kMinEdgeHz, hz, kMaxEdgeHz); };
    switch (type) {
    case CFirItem::LowPass:
        b->setFreq0(CFirItem::LowPassLowerEdge);
        b->setFreq1(inRange(b->freq1()));
        break;
    case CFirItem::HighPass:
        b->setFreq0(inRange(b->freq0()));
        b->setFreq1(CFirItem::OpenUpperEdge);
        break;
    case CFirItem::BandPass:
        b->setFreq0(inRange(b->freq0()));
        b->setFreq1(qMax(b->freq0(), inRange(b->freq1())));
        break;
    default:
        break;
    }
    refreshFromModel();
    sendParams();
}

void DspFirForm::onWindow(int index)
{
    CFirItem* b = item();
    const int window = m_window->itemData(index).toInt();
    if (b == nullptr || !accept(b->winType(), window))
        return;
    b->setWinType(window);
    updateVisibility(b->firType());
    redrawGraph();
    sendParams();
}

void DspFirForm::onAttDb(int index)
{
    CFirItem* b = item();
    const int db = m_attDb->itemData(index).toInt();
    if (b == nullptr || !accept(b->attDb(), db))
        return;
    b->setAttDb(db);
    redrawGraph();
    sendParams();
}

void DspFirForm::onTaps(int index)
{
    CFirItem* b = item();
    const int taps = m_taps->itemData(index).toInt();
    if (b == nullptr || b->firType() == CFirItem::Custom || !accept(b->taps(), taps))
        return;
    b->setTaps(taps);
    redrawGraph();
    sendParams();
}

void DspFirForm::onHighPassEdge(double hz)
{
    CFirItem* b = item();
    if (b == nullptr)
        return;
    double edge = qBound(kMinEdgeHz, hz, kMaxEdgeHz);
    // A band's lower edge never passes its upper one.
    if (b->firType() == CFirItem::BandPass)
        edge = qMin(edge, b->freq1());
    if (!accept(b->freq0(), edge)) {
        showEdges(*b);
        return;
    }
    b->setFreq0(edge);
    showEdges(*b);
    redrawGraph();
    sendParams();
}

void DspFirForm::onLowPassEdge(double hz)
{
    CFirItem* b = item();
    if (b == nullptr)
        return;
    double edge = qBound(kMinEdgeHz, hz, kMaxEdgeHz);
    if (b->firType() == CFirItem::BandPass)
        edge = qMax(edge, b->freq0());
    if (!accept(b->freq1(), edge)) {
        showEdges(*b);
        return;
    }
    b->setFreq1(edge);
    showEdges(*b);
    redrawGraph();
    sendParams();
}

void DspFirForm::onImport()
{
    CFirItem* b = item();
    if (b == nullptr || refuseWhenLocked() || !m_pickFile)
        return;
    const QString path = m_pickFile();
    if (path.isEmpty())
        return;
    const int maxTaps = boundedMaxTaps(b->maxTaps());
    const FirCoefficientReader::Result r = FirCoefficientReader::readFile(path, maxTaps);
    const QString title = QStringLiteral("Tips");
    switch (r.status) {
    case FirCoefficientReader::Status::Ok:
        break;
    case FirCoefficientReader::Status::OpenFailed:
        m_notice(title, QStringLiteral("Open file failed!"));
        return;
    case FirCoefficientReader::Status::TooMany:
        m_notice(title, QStringLiteral("Fir taps must less then ") + QString::number(maxTaps));
        return;
    default:
        m_notice(title, QStringLiteral("Parsing error, please verify the file format"));
        return;
    }
    qCDebug(lcDspUi) << "fir coefficients read:" << r.values.size() << "layout" << r.layout;
    b->setArr(FirCoefficientReader::toJsonArray(r.values));
    b->setTaps(r.values.size());
    refreshFromModel();
    sendParams();
}

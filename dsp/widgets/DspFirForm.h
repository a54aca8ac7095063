#pragma once
#include "DspBlockBaseForm.h"

#include <functional>

class CFirItem;
class DspFirChartView;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSlider;
class QTextBrowser;

/// The FIR filter's editor: type, window, attenuation and length of the designed filters with their pass-band
/// edges, or coefficients imported from a file for a custom filter, and the response either gives.
class DspFirForm : public DspBlockBaseForm
{
    Q_OBJECT
public:
    /// Asks for the coefficient file; an empty path means the user gave up.
    using FilePicker = std::function<QString()>;
    /// Tells the user something (title, text).
    using Notice = std::function<void(const QString&, const QString&)>;

    /// The edges' range (Hz).
    static constexpr double kMinEdgeHz = 20;
    static constexpr double kMaxEdgeHz = 20000;

    DspFirForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;
    /// Tests replace the file dialog and the message boxes.
    void setFilePicker(FilePicker picker) { m_pickFile = std::move(picker); }
    void setNotice(Notice notice) { m_notice = std::move(notice); }
    DspFirChartView* chart() const { return m_chart; }

private:
    CFirItem* item() const;
    QWidget* buildEdge(const QString& name, const QString& caption, QSlider** slider, QDoubleSpinBox** spin);
    void fillTaps(int maxTaps, int current);
    void showEdges(const CFirItem& b);
    void updateVisibility(int firType);
    void redrawGraph();
    /// Lock and no-change checks shared by every control; true when the edit goes ahead.
    bool accept(double stored, double typed);

    void onType(int index);
    void onWindow(int index);
    void onAttDb(int index);
    void onTaps(int index);
    void onHighPassEdge(double hz);
    void onLowPassEdge(double hz);
    void onImport();

    QComboBox* m_type = nullptr;
    QComboBox* m_window = nullptr;
    QComboBox* m_attDb = nullptr;
    QComboBox* m_taps = nullptr;
    QWidget* m_hpfRow = nullptr;
    QWidget* m_lpfRow = nullptr;
    QSlider* m_hpfSlider = nullptr;
    QDoubleSpinBox* m_hpfSpin = nullptr;
    QSlider* m_lpfSlider = nullptr;
    QDoubleSpinBox* m_lpfSpin = nullptr;
    QWidget* m_customBox = nullptr;
    QPushButton* m_import = nullptr;
    QLabel* m_customCount = nullptr;
    QTextBrowser* m_coefficients = nullptr;
    DspFirChartView* m_chart = nullptr;
    FilePicker m_pickFile;
    Notice m_notice;
};

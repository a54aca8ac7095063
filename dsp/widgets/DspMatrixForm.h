#pragma once
#include "DspMatrixBatchRun.h"
#include "DspMatrixReader.h"
#include "DspPageShell.h"

#include <QFuture>
#include <QHash>
#include <QJsonObject>
#include <QTimer>
#include <QVector>

#include <atomic>

class DspMatrix;
class DspMatrixGrid;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;

/// The matrix page of the processor dialog: the mixing matrix as one painted grid (inputs, AEC and automixer
/// channels down, outputs across), read from the device page by page when shown and when scrolled, single
/// crosspoint changes, gain share per output, and whole-matrix resets sent by a paced worker. Offline every action
/// changes the configuration only. Changes are refused while the processor is locked.
class DspMatrixForm : public DspPageShell
{
    Q_OBJECT
public:
    explicit DspMatrixForm(QWidget* parent = nullptr);
    ~DspMatrixForm() override;

    DspMatrixGrid* grid() const { return m_grid; }
    /// Where the worker's datagrams go; the default hands them to signal_sendMsg in the page's thread. Must be safe
    /// to call from the worker.
    void setBatchSender(DspMatrixBatchRun::Sender sender) { m_batchSender = std::move(sender); }
    void setBatchClock(DspMatrixBatchRun::ClockUs clock) { m_batchClock = std::move(clock); }
    bool isBatchRunning() const { return m_batch.isRunning(); }
    /// Blocks until a running worker is done (its queued datagrams still need the event loop).
    void waitForBatch();
    bool isReading() const { return m_reader.isReading(); }
    const QVector<double>& rowLevels() const { return m_rowLevels; }
    const QVector<double>& columnLevels() const { return m_colLevels; }

public slots:
    void setDspData(CDeviceDspData* data) override;
    void recvBackData(QString msg) override;
    void refreshData() override;
    void volumeTick() override;

    void handleMessage(const QJsonObject& reply);
    /// Reads the whole matrix, starting at the first visible cell.
    void sendRequest();
    void selectCell(int col, int row);
    void on_checkBox_clicked(int col, int row);
    void on_changeGain_spinBox_valueChanged(double db);
    void on_gainShare_clicked(int col);
    void on_gainShare_bt_clicked();
    void on_cancelGainShare_bt_clicked();
    void on_resetBt_clicked();
    void on_clearBt_clicked();
    void on_inJump_edit_returnPressed();
    void on_outJump_edit_returnPressed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildToolbar();
    DspMatrix* matrix() const;
    bool offline() const;
    bool canRead() const;
    bool isLocked() const;
    bool refuseWhenLocked();
    bool isMatrixBatchModel() const;
    void tip(const QString& text);
    void send(const QJsonObject& request);
    void rebuild();
    void readView();
    void follow(std::optional<QJsonObject> request);
    void shareAll(bool share);
    void startBatch(const QStringList& texts);
    void batchFinished();
    void showSelectedGain();
    bool jump(QLineEdit* edit, bool input);
    static qint64 cellKey(int col, int row) { return (qint64(col) << 32) | quint32(row); }

    DspMatrixGrid* m_grid = nullptr;
    QDoubleSpinBox* m_gainSpin = nullptr;
    QLineEdit* m_inJump = nullptr;
    QLineEdit* m_outJump = nullptr;
    QList<QPushButton*> m_batchButtons;
    DspMatrixReader m_reader;
    int m_ticksSinceProgress = 0;
    QTimer m_scrollRead;
    QVector<double> m_rowLevels;
    QVector<double> m_colLevels;
    /// Single changes awaiting the device's answer: what to put back when it refuses.
    QHash<qint64, bool> m_pendingOn;
    QHash<qint64, double> m_pendingGain;
    QHash<int, bool> m_pendingShare;
    DspMatrixBatchRun::Sender m_batchSender;
    DspMatrixBatchRun::ClockUs m_batchClock;
    QFuture<int> m_batch;
    std::atomic<bool> m_cancel{false};
};

#pragma once
#include "MatrixAxis.h"
#include "MatrixWindow.h"
#include "RouteClickChecks.h"
#include "RouteSource.h"

#include <QPair>
#include <QSet>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class AxisStrip;
class CellGraphicsScene;
class MatrixWindowItem;
class QGraphicsView;
class QLineEdit;
class QPushButton;
class QTimer;

/// The routing matrix: rows are streams and transmitting devices, columns receiving devices. Only the axes and
/// the cells of the window around the scroll position are kept; routes are looked up per column.
class CellRouteForm : public QWidget
{
    Q_OBJECT
public:
    /// Shows a question (`ask` true; returns the answer) or an information (return ignored).
    using Prompter = std::function<bool(bool ask, const QString& text)>;

    /// `source` defaults to the live registry.
    explicit CellRouteForm(QWidget* parent = nullptr, std::unique_ptr<RouteSource> source = nullptr);
    ~CellRouteForm() override;

    /// Rebuilds the axes from the source, then refreshes routes and the window.
    void resetData();
    /// Re-reads the routes from the source and repaints the window; pending marks end here.
    void refreshRoute();
    /// Repaints the window around the current scroll position from the last routes read.
    void refreshWindow();

    /// Replaces the message boxes (scripted sessions, tests).
    void setPrompter(Prompter prompter) { m_prompter = std::move(prompter); }

    /// A crosspoint click in offline mode: changes the design (returns true when it changed) and sends nothing.
    using OfflineClick = std::function<bool(const AxisItem& send, const AxisItem& recv)>;
    /// Where the axes and routes come from from now on (the offline design while offline, the registry online;
    /// none gives the registry); rebuilds.
    void setRouteSource(std::unique_ptr<RouteSource> source);
    /// What an offline click does; none leaves offline clicks without effect.
    void setOfflineClick(OfflineClick click) { m_offlineClick = std::move(click); }

    int rowCount() const { return m_rows.size(); }
    int columnCount() const { return m_cols.size(); }
    const MatrixAxis& rows() const { return m_rows; }
    const MatrixAxis& columns() const { return m_cols; }
    const MatrixWindow& window() const { return m_window; }
    int cellSize() const { return m_size; }
    bool isSendExpanded(const QString& id) const { return m_sendExpanded.contains(id); }
    bool isRecvExpanded(const QString& id) const { return m_recvExpanded.contains(id); }
    /// The tag a cell carries under a data key (0 "route", 1 "checking", 2 "checked", 3 "gray", 111 "decrease",
    /// 222 "increase"); empty when the cell lacks it or lies outside the drawn window.
    QString cellTag(int row, int col, int key) const;
    /// The tool tip of the hovered cell ("send label->receive label").
    QString hoverToolTip() const { return m_hoverTip; }
    QString sendListTitle() const;
    QString recvListTitle() const;
    /// Starts or stops the identify blink of a device's header entries in the send and receive lists. A device
    /// not shown yet blinks once it appears.
    void setDeviceBlinking(const QString& devId, bool on);
    bool isDeviceBlinking(const QString& devId) const { return m_blinking.contains(devId); }
    /// True while the blinking headers are painted in the identify colour (the phase flips every kBlinkMs).
    bool isBlinkLit() const { return m_blinkLit; }
    static constexpr int kBlinkMs = 500;
    /// Scrolls so that the row / column is the first one shown.
    void scrollToRow(int row);
    void scrollToColumn(int col);

signals:
    void signal_sendUdp(QString request, QString devId);
    void signal_showDevWindow(QString devId);
    void signal_showMcastWindow(uint32_t dstIp);
    void signal_showOfflineMcastWindow(QString id);
    void signal_refreshData();
    void signal_refreshBandWidth();

public slots:
    void on_pb_sendList_clicked();
    void on_pb_recvList_clicked();
    /// The view scrolled: follows with the lists and, in a new block of ten, the window.
    void slipUpOrDown();
    void slot_addDev();
    void slot_delDev();
    void slot_cellSceneMousePressed(int x, int y);
    void slot_cellSceneMouseMoved(int x, int y);
    /// List item toggles and double clicks.
    void slot_toggleSend(int pos);
    void slot_toggleRecv(int pos);
    void slot_sendDoubleClicked(int pos);
    void slot_recvDoubleClicked(int pos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildUi();
    void retranslate();
    void buildLookup();
    void clickConnectable(int row, int col);
    void clickUnicast(int row, int col, const WindowCell& cell);
    void clickMulticast(int row, int col, const WindowCell& cell);
    bool runPlan(const RouteClickChecks::Plan& plan);
    void markPending(int row, int col);
    void clearHover();
    void updateCross(int row, int col);
    void updateScene();
    void findItem(bool send);
    void flipBlink();
    MatrixWindow::Span wantedRows() const;
    MatrixWindow::Span wantedCols() const;
    bool prompt(bool ask, const QString& text);

    std::unique_ptr<RouteSource> m_source;
    OfflineClick m_offlineClick;
    MatrixAxis m_rows;
    MatrixAxis m_cols;
    QSet<QString> m_sendExpanded;
    QSet<QString> m_recvExpanded;
    QSet<QPair<QString, QString>> m_routePairs;
    QVector<int> m_colSource;        ///< per column: row feeding it, -1 none
    QSet<quint64> m_rowToRecvHeader; ///< (source row, receiving header column) with a route
    QSet<quint64> m_pending;         ///< (row, col) clicked since the last route refresh
    QSet<QString> m_blinking;        ///< devices being identified
    QTimer* m_blinkTimer = nullptr;
    bool m_blinkLit = false;
    MatrixWindow m_window;
    int m_size = 16;
    QString m_hoverTip;
    Prompter m_prompter;

    CellGraphicsScene* m_scene = nullptr;
    QGraphicsView* m_view = nullptr;
    MatrixWindowItem* m_item = nullptr;
    AxisStrip* m_sendStrip = nullptr;
    AxisStrip* m_recvStrip = nullptr;
    QPushButton* m_pbSendList = nullptr;
    QPushButton* m_pbRecvList = nullptr;
    QLineEdit* m_findOut = nullptr;
    QLineEdit* m_findIn = nullptr;
};

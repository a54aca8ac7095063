#pragma once
#include "FormStreamRoute.h"
#include "McastCreateChecks.h"

#include <QJsonObject>
#include <QPointer>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <cstdint>
#include <functional>

class FormStream;
class OfflineData;

class LockOverlays;
class QButtonGroup;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QVBoxLayout;

/// The stream page of one device: its stream tables, the creation and deletion of its multicast transmit
/// streams and routes made by hand.
class stream : public QWidget
{
    Q_OBJECT
public:
    explicit stream(const QString& devId, QWidget* parent = nullptr);

    QString devId() const { return m_devId; }

    /// Questions default to a QMessageBox; a scripted caller or a test may answer them instead (true = Yes).
    void setQuestionHandler(std::function<bool(const QString&)> handler);
    /// Informations default to a QMessageBox.
    void setInformationHandler(std::function<void(const QString&)> handler);
    /// The random source of automatic addresses (default: the global generator).
    void setRandomSource(std::function<uint32_t()> random);
    /// The offline design edited while the workspace is open (default: the process-wide one); the view follows
    /// its changes. Must outlive the view.
    void setDesign(OfflineData* design);

    /// The pending deletions (destination addresses as unsigned decimal text).
    QStringList pendingDeletions() const { return m_pendingDel; }
    /// The route dialog last opened from a receive channel, if still open.
    FormStreamRoute* routeForm() const { return m_routeForm; }

signals:
    /// A command message for this view's device.
    void sendChangeData(QString msg);
    /// The multicast streams of the offline model changed.
    void signal_mcast();
    void signal_showTips(QString tip);

public slots:
    void change_btGroupclicked(int id);
    void rad_bt_group_clicked();
    void on_creat_bt_clicked();
    void on_send_del_bt_1_clicked();
    /// Rebuilds both pages from the registry.
    void refreshItem();
    void addItem();
    void removeItem();
    /// One reply or notice (compact JSON).
    void refreshData(QString msg);
    void onToggled(bool checked);
    void refreshLock();
    void on_routeWidget_create();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildListPage();
    QWidget* buildCreatePage();
    void copyData();
    void createWidget();
    void fillSendList(const QJsonObject& device);
    void onButtonAction(QWidget* button);
    void sendNextDeletion();
    void tip(const QString& text);
    bool ask(const QString& text);
    void inform(const QString& text);
    bool replyIsOurs(const QJsonObject& obj) const;
    void createOffline(const QVector<int>& channels);
    void deleteOffline(const QStringList& addresses);
    std::function<uint32_t()> randomSource() const;
    McastCreateChecks::Input creationInput(const QVector<int>& channels) const;
    /// Shows why a shared creation check (McastCreateChecks::Failure) refused a stream.
    void showCheckFailure(int failure);

    QString m_devId;
    QJsonObject m_tables; ///< the tables the list page was built from
    QStackedWidget* m_pages;
    QButtonGroup* m_pageGroup;
    QVBoxLayout* m_sections;
    QWidget* m_sectionsHost;
    QLineEdit* m_name;
    QRadioButton* m_autoRad;
    QRadioButton* m_selfRad;
    QLineEdit* m_ip[4];
    QLineEdit* m_port;
    QLabel* m_portLabel;
    QLineEdit* m_rtpOffset;
    QVBoxLayout* m_channelLayout;
    QWidget* m_channelHost;
    QVector<FormStream*> m_channels;
    QListWidget* m_sendList;
    QLabel* m_totalLabel;
    LockOverlays* m_locks;
    QPointer<FormStreamRoute> m_routeForm;
    OfflineData* m_design = nullptr;
    QMetaObject::Connection m_designConnection;

    QStringList m_pendingDel;
    bool m_delFailed = false;
    QStringList m_sendQueue;
    std::function<bool(const QString&)> m_ask;
    std::function<void(const QString&)> m_inform;
    std::function<uint32_t()> m_random;
};

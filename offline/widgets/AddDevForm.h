#pragma once
#include "OfflineCatalogue.h"

#include <QDialog>
#include <QList>

#include <functional>

class FormAddDev;
class LoadingForm;
class QEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QShowEvent;

/// The dialog that offers the catalogue's device types for the offline design: categories on the left, the
/// chosen category's types (or the search results over all categories) on the right. It only reports the
/// choice; whoever owns the design adds the device.
class AddDevForm : public QDialog
{
    Q_OBJECT
public:
    /// How many devices of a model the design has now.
    using CountFunction = std::function<int(const QString& model)>;
    /// Search results shown at most; a longer result says so.
    static constexpr int kMaxShownResults = 256;

    /// Starts reading the catalogue under `root` (the application's "offlineConfig" when empty) on the next turn
    /// of the event loop, showing "加载中..." meanwhile.
    explicit AddDevForm(QWidget* parent = nullptr, const QString& root = QString());

    void setCountFunction(CountFunction count);
    /// Reads the catalogue again (once, however often it is asked before the event loop runs).
    void reload();
    bool isLoading() const { return m_loadPending; }

    const OfflineCatalogue& catalogue() const { return m_catalogue; }
    int currentCategory() const;
    void selectCategory(int index);
    /// The type items shown now, in order.
    QList<FormAddDev*> items() const;
    /// Asks the count function again for every shown item.
    void refreshCounts();

signals:
    void signal_addDevice(OfflineDeviceType type);

public slots:
    /// Shows the types matching the search field over every category; an empty field shows the category again.
    void on_search_bt_clicked();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    void showTypes(const QVector<OfflineDeviceType>& types, const QString& emptyText);
    void showCategory();
    void retranslate();
    QSize rowSize(FormAddDev* form) const;
    void fitRows();

    QString m_root;
    OfflineCatalogue m_catalogue;
    CountFunction m_count;
    bool m_loadPending = false;
    bool m_searching = false;
    QListWidget* m_categories;
    QListWidget* m_types;
    QLineEdit* m_search;
    QPushButton* m_searchBt;
    QLabel* m_note;
    LoadingForm* m_loading;
};

#pragma once
#include "OfflineDeviceType.h"

#include <QWidget>

class QEvent;
class QLabel;
class QPushButton;

/// One device type in the add dialog: icon, model, brand, description, how many devices of the type the design
/// already has, a details toggle and the add button.
class FormAddDev : public QWidget
{
    Q_OBJECT
public:
    explicit FormAddDev(const OfflineDeviceType& type, QWidget* parent = nullptr);

    const OfflineDeviceType& type() const { return m_type; }
    /// Shows how many devices of this type the design has.
    void setCount(int count);
    int count() const { return m_count; }
    bool detailsShown() const;

signals:
    void signal_addDevice(OfflineDeviceType type);

public slots:
    void on_add_bt_clicked();
    /// Shows or hides the type's channel counts and capabilities below its description.
    void on_detail_bt_clicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    QString detailText() const;

    OfflineDeviceType m_type;
    int m_count = 0;
    QLabel* m_icon;
    QLabel* m_model;
    QLabel* m_brand;
    QLabel* m_describe;
    QLabel* m_detail;
    QLabel* m_countLab;
    QPushButton* m_detailBt;
    QPushButton* m_addBt;
};

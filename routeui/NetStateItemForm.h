#pragma once
#include <QString>
#include <QWidget>

class QLabel;

/// One row of the network state page.
class NetStateItemForm : public QWidget
{
    Q_OBJECT
public:
    /// What a row shows; every field is display text.
    struct Fields
    {
        QString devId;
        QString name;
        QString type;
        QString sampleRate;
        QString packetTime;
        QString latency;
        QString temperature; ///< e.g. "45.5℃"; empty until the device answers
        QString runningTime; ///< "h:m:s"; empty until the device answers
        QString version;
    };

    explicit NetStateItemForm(QWidget* parent = nullptr);

    void setFields(const Fields& fields);
    const Fields& fields() const { return m_fields; }
    QString devId() const { return m_fields.devId; }
    QString runningTimeText() const { return m_fields.runningTime; }

    /// Shows a warning text in place of the plain name (empty: the name again).
    void setWarning(const QString& text);
    QString warningText() const { return m_warning; }
    /// The text the name column shows now.
    QString nameText() const;

private:
    void updateNameLabel();

    Fields m_fields;
    QString m_warning;
    QLabel* m_name = nullptr;
    QLabel* m_type = nullptr;
    QLabel* m_id = nullptr;
    QLabel* m_sampleRate = nullptr;
    QLabel* m_packetTime = nullptr;
    QLabel* m_latency = nullptr;
    QLabel* m_temperature = nullptr;
    QLabel* m_runningTime = nullptr;
    QLabel* m_version = nullptr;
};

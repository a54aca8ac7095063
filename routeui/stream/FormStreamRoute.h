#pragma once
#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QStackedWidget;

/// The dialog that creates one receive route by hand: a unicast route from another device's channel, or a
/// multicast route from a stream described field by field.
class FormStreamRoute : public QDialog
{
    Q_OBJECT
public:
    enum Mode
    {
        Unicast = 0,
        Multicast = 1
    };

    explicit FormStreamRoute(QWidget* parent = nullptr);

    Mode mode() const;
    void setMode(Mode mode);

    QString ucastDevId() const;
    QString ucastSrcChId() const;
    QString ucastDstChId() const;
    QString mcastDstIp() const;
    QString mcastDstPort() const;
    QString mcastChNum() const;
    QString mcastSample() const;
    QString mcastRtp() const;
    QString mcastSrcChId() const;
    QString mcastDstChId() const;

    /// Prefills the receive channel of both modes (the channel the dialog was opened for).
    void setDstChId(int ch);
    /// The first empty field of the chosen mode as "<field> cannot be empty", or an empty text.
    QString validate() const;

signals:
    /// The confirming button was pressed; the owner validates and sends.
    void signal_create();

private slots:
    void slot_modeClicked(int id);

private:
    QLineEdit* addField(const char* objectName, const QString& label, QWidget* page, bool digits);

    QButtonGroup* m_group;
    QRadioButton* m_ucastRad;
    QRadioButton* m_mcastRad;
    QStackedWidget* m_pages;
    QPushButton* m_okBt;
};

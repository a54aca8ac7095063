#pragma once
#include <QFrame>
#include <QString>

class CBaseChannel;
class QLabel;

/// A diagram row of an echo-cancelled or automixer channel: its title and settings, and the button that opens
/// its editor.
class DspSideChannelStrip : public QFrame
{
    Q_OBJECT
public:
    enum Kind
    {
        Aec,
        Automixer
    };

    DspSideChannelStrip(Kind kind, int index, QWidget* parent = nullptr);

    void setChannel(const CBaseChannel& channel);
    QString titleText() const;
    Kind kind() const { return m_kind; }
    int index() const { return m_index; }

signals:
    void signal_openEditor(int kind, int index);

private:
    Kind m_kind;
    int m_index;
    QLabel* m_title = nullptr;
    QLabel* m_state = nullptr;
};

#pragma once
#include <QFrame>
#include <QString>

class CBaseChannel;
class QLabel;

/// A diagram row of an echo-cancelled or automixer channel: its title and settings, shown read-only (their
/// editors live on their own pages).
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

private:
    Kind m_kind;
    int m_index;
    QLabel* m_title = nullptr;
    QLabel* m_state = nullptr;
};

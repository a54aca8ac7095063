#pragma once
#include "DspPageShell.h"

#include <QList>
#include <QVector>

#include <functional>

class CBaseChannel;
class DspChannelVolumeForm;
class DspGroupForm;
class DspInChannelForm;
class DspOutChannelForm;
class QHBoxLayout;
class QLabel;
class QScrollArea;

/// The channel-volume page of the processor dialog: a fader strip per processor input (then the echo-cancelled and
/// automixer channels, shown only) and per output, and the channel groups. Every change writes the configuration
/// first and then leaves as the diagram's channel request or a group request; offline it only writes.
///
/// The strips are built once per configuration shape; a new download of the same shape only refreshes them. Meters
/// follow the dialog's meter replies for the strips in view; the first channel in view of each side is reported
/// with signal_changeIdStart, so batch meters cover what is shown.
class Channel : public DspPageShell
{
    Q_OBJECT
public:
    /// Changes not yet answered that the page remembers (older ones are forgotten: UDP may lose answers).
    static constexpr int MaxPending = 64;

    explicit Channel(QWidget* parent = nullptr);

    // Edits, as the strips and group forms make them. False when refused, unchanged or out of range; the
    // control then shows the configuration again.
    bool setChannelMute(int kind, int index, bool mute);
    bool setChannelInverse(int kind, int index, bool inverse);
    bool setChannelGain(int kind, int index, double db);
    bool setChannelGroup(int kind, int index, int groupId);
    bool setGroupGain(int groupId, double db);
    bool setGroupMute(int groupId, bool mute);
    bool setGroupName(int groupId, const QString& name);

    bool isLocked() const;
    DspInChannelForm* inputForm(int index) const;
    DspOutChannelForm* outputForm(int index) const;
    /// Echo-cancelled channels first, then automixer channels.
    DspChannelVolumeForm* sideForm(int index) const;
    DspGroupForm* groupForm(int groupId) const;
    int groupFormCount() const { return m_groups.size(); }
    int sideFormCount() const { return m_sides.size(); }
    /// How often the strips were built (a refresh of the same shape builds nothing).
    int buildCount() const { return m_builds; }
    /// The first input (false) or output (true) strip in view.
    int firstVisible(bool inOrOut) const;
    QScrollArea* scrollArea(bool inOrOut) const { return inOrOut ? m_outScroll : m_inScroll; }

signals:
    /// The first channel of the visible input (false) or output (true) meters.
    void signal_changeIdStart(int idStart, bool inOrOut);

public slots:
    void setDspData(CDeviceDspData* data) override;
    void recvBackData(QString msg) override;
    void refreshData() override;
    void volumeTick() override;
    /// Shows every strip and group from the configuration again (the diagram may have changed it).
    void refreshFromModel();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Pending
    {
        QString ops;
        QString side; ///< "inArr", "outArr" or "index" (a group), as the answer names it
        int index = 0;
        std::function<void()> undo; ///< puts the value back when the configuration still holds the sent one
    };

    bool offline() const;
    void build();
    void refreshStrip(int kind, int index);
    void refreshGroups();
    QString shownName(bool isInput, int index) const;
    CBaseChannel* editable(int kind, int index);
    bool refuseWhenLocked();
    void send(const QJsonObject& request);
    void remember(Pending pending);
    void handleReply(const QJsonObject& reply);
    void showMeters(const QJsonObject& reply);
    void reportVisible();
    void tip(const QString& text);

    struct Shape
    {
        int in = -1, out = -1, aec = -1, amx = -1, groups = -1;
        bool operator==(const Shape& o) const
        {
            return in == o.in && out == o.out && aec == o.aec && amx == o.amx && groups == o.groups;
        }
    } m_shape;
    int m_builds = 0;
    int m_reported[2] = {-1, -1};
    QList<Pending> m_pending;
    QList<DspInChannelForm*> m_inputs;
    QList<DspOutChannelForm*> m_outputs;
    QList<DspChannelVolumeForm*> m_sides;
    QList<DspGroupForm*> m_groups;
    QScrollArea* m_inScroll = nullptr;
    QScrollArea* m_outScroll = nullptr;
    QScrollArea* m_groupScroll = nullptr;
    QHBoxLayout* m_inRow = nullptr;
    QHBoxLayout* m_outRow = nullptr;
    QHBoxLayout* m_groupRow = nullptr;
    QLabel* m_lockLabel = nullptr;
};

#pragma once
#include <QHash>
#include <QString>
#include <QVector>

/// One row or column of the routing matrix: a device or stream header (channel 0) or one of its channels.
struct AxisItem
{
    bool multicast = false; ///< a multicast stream row; id is then the destination address as dotted text
    QString id;             ///< devId or dotted destination address
    QString name;           ///< device or stream name
    QString secondName;     ///< channel name; empty for a header
    int channel = 0;        ///< 0 header, 1..N channel (protocol channel = channel - 1)
};

/// The ordered items of one side of the matrix. A header and its channels are contiguous, so channel c of an
/// item sits at the header's position plus c.
class MatrixAxis
{
public:
    void clear();
    /// Appends a header and `channels` channel items named by `channelName` (1-based channel number).
    template <typename NameFn>
    void appendGroup(bool multicast, const QString& id, const QString& name, int channels, NameFn channelName)
    {
        if (!m_headers.contains(id))
            m_headers.insert(id, m_items.size());
        m_items.append({multicast, id, name, QString(), 0});
        for (int c = 1; c <= channels; ++c)
            m_items.append({multicast, id, name, channelName(c), c});
    }

    int size() const { return m_items.size(); }
    const AxisItem& at(int pos) const { return m_items.at(pos); }
    bool isValid(int pos) const { return pos >= 0 && pos < m_items.size(); }
    /// Position of the first header with this id, or -1.
    int headerOf(const QString& id) const { return m_headers.value(id, -1); }
    /// Position of (id, channel), or -1 when the id is unknown or has no such channel.
    int indexOf(const QString& id, int channel) const;
    /// Number of channels of the group whose header is at `headerPos`.
    int channelCount(int headerPos) const;
    /// Header positions in order.
    QVector<int> headerPositions() const;
    /// First position at or after `from` whose label contains `text` (case-insensitive), wrapping; -1 if none.
    int find(const QString& text, int from = 0) const;
    /// "name" for a header, "name:channel name" for a channel.
    QString label(int pos) const;

private:
    QVector<AxisItem> m_items;
    QHash<QString, int> m_headers;
};

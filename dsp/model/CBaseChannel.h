#pragma once
#include <QString>

/// What every channel strip of the configuration has: name, mute, gain, phase inversion and channel group.
class CBaseChannel
{
public:
    CBaseChannel() = default;
    virtual ~CBaseChannel();

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    bool isMute() const { return m_mute; }
    void setMute(bool mute) { m_mute = mute; }
    double gainDb() const { return m_gainDb; }
    void setGainDb(double db) { m_gainDb = db; }
    bool isInverse() const { return m_inverse; }
    void setInverse(bool inverse) { m_inverse = inverse; }
    /// Channel group; -1 for none.
    int groupId() const { return m_groupId; }
    void setGroupId(int groupId) { m_groupId = groupId; }

    /// Copies mute, gain, inversion and group (not the name).
    void copyBaseFrom(const CBaseChannel& other);

protected:
    CBaseChannel(const CBaseChannel&) = default;
    CBaseChannel& operator=(const CBaseChannel&) = default;

private:
    QString m_name;
    bool m_mute = false;
    double m_gainDb = 0;
    bool m_inverse = false;
    int m_groupId = -1;
};

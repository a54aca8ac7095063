#include "CBaseChannel.h"

CBaseChannel::~CBaseChannel() = default;

void CBaseChannel::copyBaseFrom(const CBaseChannel& other)
{
    m_mute = other.m_mute;
    m_gainDb = other.m_gainDb;
    m_inverse = other.m_inverse;
    m_groupId = other.m_groupId;
}

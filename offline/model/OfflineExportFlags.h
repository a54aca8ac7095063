#pragma once
#include <array>

/// Which parameter groups a document carries. A group left out is written with its default value (what a new
/// device starts with), so a design loaded onto devices never carries settings the user did not choose.
/// Twelve groups, then the multicast receive routes as the thirteenth; all on for the working file. The user's
/// network and IP-address categories both choose Network.
class OfflineExportFlags
{
public:
    enum Group
    {
        DeviceInfo,   ///< GPIO list
        DeviceName,   ///< "devName" (default: the devId)
        ChannelNames, ///< the four name lists (default: "NetIn1", "AnalogOut1", ...)
        ChannelGains, ///< gains and mutes (default: 0)
        AudioParams,  ///< "sampleRate", "packetTime", "pFrameNum" (48000, 0.25, 12)
        SampleDepth,  ///< "sampleBitDepth", "sampleByteNum" (24, 3)
        NetworkDelay, ///< "delayMs" (5)
        PtpPriority,  ///< "ptpPriority" (128)
        PtpDscp,      ///< "ptpDscp" (46)
        StreamDscp,   ///< "dscp" (34)
        Network,      ///< network and address settings: "isFixIp" ("0"), "fixIpStr" (an empty text instead of
                      ///< the object), "xebIp", "xeuIp", "xServerStr" (empty)
        Routes,       ///< unicast routes and the device's transmit streams (empty lists)
        McastRoutes,  ///< multicast receive routes (empty list)
        GroupCount
    };

    OfflineExportFlags() { m_on.fill(true); }

    bool isOn(Group g) const { return g >= 0 && g < GroupCount && m_on[static_cast<size_t>(g)]; }
    void set(Group g, bool on)
    {
        if (g >= 0 && g < GroupCount)
            m_on[static_cast<size_t>(g)] = on;
    }
    bool allOn() const
    {
        for (bool b : m_on)
            if (!b)
                return false;
        return true;
    }
    bool operator==(const OfflineExportFlags& o) const { return m_on == o.m_on; }

private:
    std::array<bool, GroupCount> m_on{};
};

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <array>

/// The microphone processor every simulated device carries behind its serial tunnel (UDP 7999). It speaks short
/// text lines: two letters, "r" (read) or "s" (set), a channel digit, for a set the value, "\r\n". A read is
/// answered "<code>r<ch><value>"; a set is applied and answered with the read form of what the processor now holds
/// (the old value when the new one is outside its range); "SSs1" stores the settings and is echoed; anything
/// else of its form gets "ERR". After a reboot it runs the settings stored last.
class SimMicProcessor
{
public:
    static constexpr int kChannels = 4;
    /// Lines answered per datagram; the rest are ignored, as a serial buffer would drop them.
    static constexpr int kMaxLines = 32;

    struct Settings
    {
        int aec = 0;                          ///< IE1, 0..5
        int afc = 0;                          ///< IF1, 0..5
        int agc = 0;                          ///< IA1, 0..1
        int anc = 0;                          ///< IN1, 0..5
        int headphone = 0;                    ///< IT3, 0 far end, 1 local
        std::array<int, kChannels> inGain{};  ///< IG, -60..24 dB
        std::array<int, kChannels> inMute{};  ///< IM, 0..1
        std::array<int, kChannels> outGain{}; ///< OV, -60..24 dB
        std::array<int, kChannels> outMute{}; ///< OM, 0..1

        /// {"aec","afc","agc","anc","headphone","inGain":[4],"inMute":[4],"outGain":[4],"outMute":[4]}.
        QJsonObject toJson() const;
        bool operator==(const Settings& o) const;
    };

    /// Whether a tunnel datagram is for the processor: its first line starts with one of its codes and "r" or "s".
    /// Other texts keep the tunnel's plain echo.
    static bool isForProcessor(const QByteArray& datagram);

    /// The answer lines to every command line of the datagram, each ended by "\r\n".
    QByteArray handle(const QByteArray& datagram);

    const Settings& live() const { return m_live; }
    const Settings& saved() const { return m_saved; }
    int saveCount() const { return m_saveCount; }
    int commandCount() const { return m_commands; }

    /// Presets both the live and the stored settings from members of toJson()'s shape (a processor that came up
    /// so). False with the reason, and nothing changed, on an unknown member or a value outside its range.
    bool preset(const QJsonObject& values, QString* error);

    /// The device restarted: the stored settings run again.
    void restart() { m_live = m_saved; }

private:
    QByteArray answer(const QByteArray& line);

    Settings m_live;
    Settings m_saved;
    int m_saveCount = 0;
    int m_commands = 0;
};

#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

class DevDetailStore;
class ModelTable;

/// The answers to the broadcast probe for secondary network units ("AreYouMeridane?").
/// The socket side lives with the network-state view; these are the pure parts.
class SecondaryUnitProbe
{
public:
    /// The probe text, sent without a terminating NUL.
    static constexpr const char* kQuestion = "AreYouMeridane?";
    static constexpr uint16_t kPort = 9999;

    /// What one answer says.
    struct Answer
    {
        bool isAnswer = false; ///< the text holds both "ip=" and "iAmMeridane!"
        QString hostname;      ///< after "hostname=" to the end of its line, trimmed
        uint32_t ip = 0;       ///< after "ip=" to the end of its line; 0 when unreadable
        QString mainDevId;     ///< the main device's devId of a secondary unit with an address, else empty
    };

    /// Reads one datagram. Never fails: a datagram that is no answer gives isAnswer false.
    static Answer parse(const QByteArray& datagram, const ModelTable& models);
    /// Records the unit's address when the answer names a device the registry holds. Returns
    /// whether it was recorded.
    static bool record(const Answer& answer, DevDetailStore& store);
};

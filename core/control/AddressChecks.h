#pragma once
#include <QJsonObject>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>

/// The checks an address change passes before "setIp" leaves, and the requests it sends. Widget-free: the
/// settings page asks its question and shows the tips, this class decides.
class AddressChecks
{
public:
    /// The field a failed check points at (the page focuses it).
    enum Field
    {
        NoField,
        IpField,
        MaskField,
        GatewayField,
        DnsField,
        Ip2Field,
        Ip3Field
    };

    /// What the user typed. ip2/ip3 are read only for devices with three interfaces.
    struct Input
    {
        int isFixedIp = 1; ///< 0 automatic, 1 manual
        QString ip;
        QString mask;
        QString gateway;
        QString dns;
        QString ip2;
        QString ip3;
    };

    /// The settings the device last confirmed, to spot an edit that changes nothing.
    struct Current
    {
        int isFixedIp = 0;
        QString ip;
        QString gateway;
        QString dns;
        QString ip2;
        QString ip3;
    };

    enum Stage
    {
        Refused,   ///< `tip` and `focus` say why; nothing is sent
        Unchanged, ///< `tip` is "IP地址未修改"; nothing is sent
        Ready      ///< `requests` are to be sent
    };

    struct Outcome
    {
        Stage stage = Refused;
        QString tip;
        Field focus = NoField;
        /// The address and mask look wrong together. When set (and the stage is not Refused) the page asks
        /// before going on; this question comes before the unchanged check.
        bool mismatch = false;
        int prefixLength = -1;
        QVector<QJsonObject> requests; ///< "setIp" command messages, main interface first
    };

    /// Runs every check in order and builds the requests. `interfaceCount` is the model's number of
    /// interfaces (3 adds the derived requests of interfaces 2 and 3).
    static Outcome evaluate(const Input& in, const Current& current, const QString& devId, int interfaceCount);

    /// The prefix length of a dotted mask: four parts of digits only, each at most 255, with the one bits
    /// leading. -1 for anything else.
    static int prefixLength(const QString& mask);
    /// The dotted mask of a prefix length (0..32); empty outside that range.
    static QString maskForPrefix(int prefix);
    /// A dotted quad as a host-order number; false for anything but four decimal parts of at most 255.
    static bool parseQuad(const QString& text, uint32_t* out);
    static QString quadText(uint32_t ip);

    /// The gateway of interface k (2 or 3): the edited gateway with its third octet raised by k-1 (mod 256).
    /// Returned unchanged when it is not a dotted quad.
    static QString derivedGateway(const QString& gateway, int k);

    /// The "setIp" messages that switch the device (and its further interfaces) to an automatic address.
    static QVector<QJsonObject> autoIpRequests(const QString& devId, int interfaceCount);

    /// A random link-local address "169.254.x.y/16" with x and y in 2..253, drawn from `random`.
    static QString resetAddress(const std::function<uint32_t()>& random);
    /// The "setIp" message that fixes the device at `address` (from resetAddress).
    static QJsonObject resetRequest(const QString& devId, const QString& address);
};

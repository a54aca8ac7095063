#pragma once
#include <QByteArray>
#include <QHostAddress>
#include <QString>

/// The service tools' request-and-wait: a UDP socket of its own, one text sent to an address and port, then a wait
/// for the answer in steps of 200 ms, at most 11 of them. Blocks the calling thread for up to 2.2 s, so windows
/// run it on a worker. The socket is closed whatever the outcome.
namespace WaitedUdpRequest {

enum class Outcome
{
    Reply,    ///< `text` is the answer (possibly empty)
    SendFail, ///< fewer bytes than the request were written
    NoReturn, ///< nothing came from the address within the steps
    ReadFail  ///< a datagram was announced but could not be read
};

struct Result
{
    Outcome outcome = Outcome::NoReturn;
    /// The answer, or the outcome's text: "Send Fail", "No Return With 2000ms", "Server No Return Msg.".
    QString text;

    bool answered() const { return outcome == Outcome::Reply; }
};

constexpr int kStepMs = 200;
constexpr int kMaxSteps = 11;
/// Answers longer than this are cut; the service ports never say more.
constexpr int kMaxReplyBytes = 2047;

/// Sends `request` and waits. Only a datagram from `address` counts as the answer; strays are dropped.
Result send(const QByteArray& request, const QHostAddress& address, quint16 port, int stepMs = kStepMs);

/// The text logged for a failed outcome by the test signal tool: "ERR:Send Fail", "ERR:No Return With 2000ms", ...
QString errorText(const Result& result);

} // namespace WaitedUdpRequest

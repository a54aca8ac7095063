#pragma once
#include <QJsonObject>
#include <QString>

/// How meridane-ctl reads a dispatched reply: its exit code, the refusal text and a readable line.
class CtlReply
{
public:
    /// CtlExit::kOk when "result" is "succ" or absent (tunnel returns and plain read-outs carry none),
    /// CtlExit::kRefused for any other "result".
    static int exitCode(const QJsonObject& reply);
    /// The text of a refusal as the windows show it: the "reason" through the shared reason-text rule, or
    /// "result" with the reply's "ops" when the device gave no reason.
    static QString refusalText(const QJsonObject& reply, bool chinese);
    /// "ops devId: result" followed by the other fields as key=value (objects and arrays as compact JSON).
    static QString describe(const QJsonObject& reply);
};

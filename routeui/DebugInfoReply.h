#pragma once
#include <QString>

/// A device's "getDebugInfo" reply as the network state page uses it.
class DebugInfoReply
{
public:
    bool valid = false; ///< a successful "getDebugInfo" reply with a devId
    QString devId;
    QString devName;
    double temperature = 0; ///< degrees Celsius
    qint64 uptimeSeconds = 0;

    /// Reads one message of the reply bus. Messages of the processor windows (tagged "superMatrixUiTag"
    /// or "dspUiTag", or carrying "cookie":"0") are not parsed; anything else that is not a successful
    /// "getDebugInfo" reply gives valid false.
    static DebugInfoReply parse(const QString& msg);

    /// "45.5℃": one decimal and the unit.
    static QString temperatureText(double celsius);
    /// "h:m:s" without leading zeros: 3725 gives "1:2:5". Negative values count as 0.
    static QString uptimeText(qint64 seconds);
    /// The seconds of an "h:m:s" text; -1 when the text holds no ":".
    static qint64 uptimeSecondsOf(const QString& text);
};

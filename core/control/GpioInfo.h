#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

/// One GPIO port's function as a device keeps it ("gpioInfo"), the test page's eight ports, and the file the
/// page saves them to. Everything read from a device or a file is checked before it reaches the page.
struct GpioInfo
{
    static constexpr int kPorts = 8;
    static constexpr int kMaxCustomCmd = 128; ///< characters
    static constexpr int kFirstProgram = 10;
    static constexpr int kLastProgram = 20;
    static constexpr int kMaxNumber = 65535; ///< bound of every whole-number member
    /// A saved file larger than this is refused before it is parsed.
    static constexpr int kMaxFileBytes = 64 * 1024;

    int direction = 0;   ///< 0 input, 1 output
    int type = 0;        ///< what the port does
    int enable = 0;      ///< 0 or 1
    int triggerType = 0; ///< 0 high level, 1 low level
    int channelDirection = 0;
    int channelId = 0;
    int programId = kFirstProgram;
    int inputChId = 0;
    int outputChId = 0;
    double gainStep = 0.0;
    QString customCmd;

    /// The request "index" of port 1..kPorts: "GPIO_" + number.
    static QString indexText(int port);
    /// The program choices as shown: "程式10" ... "程式20".
    static QStringList programNames();

    /// "不能超过128字符" when the command is too long, else empty.
    static QString customCmdRefusal(const QString& cmd);

    /// The object sent with "setGpioInfo"; every value as text, as devices expect.
    QJsonObject toJson() const;
    /// Reads a device's or a file's object; false (with `error`) when a member is of the wrong kind or out of
    /// bounds. Members left out keep their default.
    static bool fromJson(const QJsonObject& o, GpioInfo* out, QString* error);

    bool operator==(const GpioInfo& other) const;
    bool operator!=(const GpioInfo& other) const { return !(*this == other); }
};

/// The file of the eight ports: {"gpio":[{...}, ...]} with exactly kPorts entries.
namespace GpioFile {

QByteArray write(const QVector<GpioInfo>& ports);
/// False with a message for the user when the file is too large, not JSON, or not eight valid ports.
bool read(const QByteArray& bytes, QVector<GpioInfo>* ports, QString* error);

} // namespace GpioFile

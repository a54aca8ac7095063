#pragma once
#include "CommandTranslator.h"
#include "DevDetail.h"

#include <QJsonObject>
#include <QString>

/// The lock and password requests the lock dialogs compose themselves instead of handing the main window a
/// command message: which service port each goes to, and its wire form.
class LockRequests
{
public:
    /// True for "setLock" and "setPassword", whose replies the dispatcher hands on to the windows.
    static bool handles(const QString& ops);
    /// The request for `message` to `device`: "setLock" to the lock port (a "dspUiTag" one to the model's DSP lock
    /// port), "setPassword" to the service port. "devId" and "TAG" name the device and stay behind; every other
    /// field is sent as text. Invalid for other commands or a missing device.
    static DeviceRequest forMessage(const QJsonObject& message, const DevDetail_t& device);
};

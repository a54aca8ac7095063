#pragma once

#include "SimCommandHandlers.h"

/// The device side of the audio path's settings: the flat "setBorderProc" ("nodeId", "portIndex", "procIndex",
/// "delayNum", "maxNum" beside each other, no "obj") sets the delay of the cancellation stage of physical output
/// "portIndex" (0-based), on the command port of every model and on port 8999.
class SimAudioCommands
{
public:
    static void addTo(SimCommandHandlers& handlers);
    /// The flat form: a "setBorderProc" without "obj" that names a "delayNum".
    static bool isCancelStage(const QJsonObject& message);
    /// On port 8999 the flat form goes to the cancellation stage of any model, every other form to `blockSetter`.
    static SimHandler orCancelStage(SimHandler blockSetter);
};

#pragma once

/// Exit codes of meridane-ctl. The listings (devices, streams, watch) keep 2 for every error; the control
/// commands (send, route, stream) give 2 its own meaning and report usage errors with kUsage.
namespace CtlExit {

constexpr int kOk = 0;
constexpr int kRefused = 1;   ///< the device refused, or a check / question of the window stopped the command
constexpr int kNoReply = 2;   ///< no reply (or no confirming tables) within the time limit
constexpr int kUnknown = 3;   ///< a named device, channel or stream is not on the network, or the name is ambiguous
constexpr int kUsage = 4;     ///< bad arguments or no usable network interface (control commands)
constexpr int kListError = 2; ///< any error of the listings

} // namespace CtlExit

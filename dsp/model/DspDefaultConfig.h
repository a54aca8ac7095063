#pragma once
#include <QString>

/// The configuration the dialog builds itself for virtual-mixer models, which have no DSP service to ask.
namespace DspDefaultConfig {

/// A whole getConfig reply ("ops" "getConfig", "result" "succ", "config"): 16 unnamed groups, `inputs` inputs and
/// `outputs` outputs without blocks, and a matrix with every cell off. Counts are bounded to 0..512.
QString reply(int inputs, int outputs, int sampleRate);

} // namespace DspDefaultConfig

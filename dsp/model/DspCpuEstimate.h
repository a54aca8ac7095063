#pragma once

class CDeviceDspData;

/// The processor load a configuration is expected to cause, as a percentage of the capacity left after the
/// reserve. It limits what the diagram may add.
namespace DspCpuEstimate {

constexpr int Cores = 2;
constexpr int Reserve = 30;
/// An estimate at or above this refuses additions (unless forced).
constexpr int Limit = 99;

/// The estimated cost S: inputs x outputs x 6/64, the blocks' costs, 10 with any automixer, 30 with any AEC.
double cost(const CDeviceDspData& data);
/// The capacity factor F: the model's factor, halved above 48 kHz (up to 96 kHz), quartered up to 144 kHz and
/// an eighth above.
double capacityFactor(double modelFactor, int sampleRate);
/// Integer part of S / ((C x 100 - R) x F) x 100, bounded to 0..99 (0 for a non-positive factor).
int estimate(const CDeviceDspData& data, double modelFactor);

} // namespace DspCpuEstimate

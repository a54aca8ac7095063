#pragma once

/// The integer form of a matrix cell gain ("gainArr"): 0 is 0 dB, 1..48 are +0.25..+12 dB, 49..240 are
/// -0.25..-48 dB in quarter-dB steps; every other code reads as 0 dB.
namespace MatrixGainCode {

/// The code of a gain rounded to a quarter dB; gains outside -48..+12 dB (and NaN) give 0.
int encode(double db);
double decode(int code);

} // namespace MatrixGainCode

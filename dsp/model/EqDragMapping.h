#pragma once

/// Where a handle dragged on the equaliser graph lands: pixel position (already divided by the screen scale)
/// to frequency and gain. The plot spans x 20..1016 (19.7 Hz..20.2 kHz, logarithmic) and y 62..300
/// (+12..-24 dB); a position outside is taken at the nearest edge, so a drag past the graph cannot send an
/// out-of-range value.
namespace EqDragMapping {

enum Target
{
    None,
    HighPass,
    Band,
    LowPass
};

struct Result
{
    Target target = None;
    /// The band for Target Band, else -1.
    int band = -1;
    double frequency = 0;
    /// Only for Target Band (filters move in frequency only).
    double gainDb = 0;
};

/// The frequency at `x`, rounded to 0.1 Hz.
double frequencyAt(int x);
/// The gain at `y`, rounded to 0.1 dB.
double gainAt(int y);
/// Handle 0 is the high-pass filter, 1..99 bands 0..98 (None past the block's `bandCount`), 100 and above
/// the low-pass filter; a negative handle is None.
Result drag(int handle, int x, int y, int bandCount);

} // namespace EqDragMapping

#pragma once
// The arithmetic of the installer's background: a vertical blue gradient in
// bands two rows high, and the centring of a window on an area.  Kept free of
// any window code so that it can be checked on its own.

#include <cstdint>
#include <vector>

namespace core {

// The blue of each band of the gradient for a screen `screenHeight` pixels
// high: band k is painted at i = 2k, for i = 0, 2, 4, ... while i <= height.
// The value runs from 255 down to 0 in single-precision steps of -510/height,
// each rounded to the nearest whole number, halves to even.
std::vector<uint8_t> GradientBlues(int screenHeight);

// The same bands before rounding: the single-precision value of each.
std::vector<float> GradientLevels(int screenHeight);

// The offset that centres a window of `size` pixels on an area of `area`
// pixels; the division rounds toward zero, so a window wider than the area by
// 5 pixels gets -2.
constexpr int CentredOffset(int area, int size) { return (area - size) / 2; }

}  // namespace core

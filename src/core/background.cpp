#include "core/background.h"

#include <cmath>

namespace core {

namespace {

// Stores through memory so that a 32-bit x87 build rounds to single precision
// here instead of carrying extended precision from one step to the next.
float ToSingle(double value) {
    volatile float single = static_cast<float>(value);
    return single;
}

// Nearest whole number, halves to even, kept within a byte.
uint8_t RoundBlue(float value) {
    const double rounded = std::nearbyint(static_cast<double>(value));  // default mode: to nearest even
    if (rounded <= 0) return 0;
    if (rounded >= 255) return 255;
    return static_cast<uint8_t>(rounded);
}

}  // namespace

std::vector<float> GradientLevels(int screenHeight) {
    std::vector<float> levels;
    if (screenHeight <= 0) return levels;
    const float step = ToSingle(-510.0 / screenHeight);
    float value = 255.0f;
    levels.reserve(static_cast<size_t>(screenHeight / 2 + 1));
    for (int i = 0; i <= screenHeight; i += 2) {
        levels.push_back(value);
        // The sum of two singles is exact in double; one rounding follows.
        value = ToSingle(static_cast<double>(value) + static_cast<double>(step));
    }
    return levels;
}

std::vector<uint8_t> GradientBlues(int screenHeight) {
    std::vector<uint8_t> blues;
    for (float level : GradientLevels(screenHeight)) blues.push_back(RoundBlue(level));
    return blues;
}

}  // namespace core

#pragma once
// Versions are compared only as numbers: the dotted pieces weigh 10000, 100
// and 1 from the left, and every further piece weighs 0.

#include <cstdint>
#include <string_view>

namespace core {

// Throws ConvertError for a piece that is not a whole number (an empty piece
// included) and OverflowError when the total does not fit 32 bits.
int32_t VersionToNumber(std::string_view text);

}  // namespace core

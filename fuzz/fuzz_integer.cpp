// The integer conversions on arbitrary texts, with invariants that tie them
// together and to a plain decimal reading, and round trips of any int32.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/errors.h"
#include "core/text.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Blanks, an optional sign and decimal digits only: the one form whose value
// any C library agrees on.
bool PlainDecimal(std::string_view text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return false;
    if (text[i] == '+' || text[i] == '-') ++i;
    return i < text.size() && text.find_first_not_of("0123456789", i) == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int32_t number = input.ConsumeIntegral<int32_t>();
    const int32_t fallback = input.ConsumeIntegral<int32_t>();
    const std::string text = input.ConsumeRemainingBytesAsString();

    // Round trips: decimal, with blanks and a sign, and hexadecimal in every
    // accepted prefix.
    const std::string decimal = std::to_string(number);
    Check(core::TryStrToInt(decimal) == number);
    Check(core::TryStrToInt("  " + decimal) == number);
    if (number >= 0) Check(core::TryStrToInt("+" + decimal) == number);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<uint32_t>(number));
    for (const char* prefix : {"$", "x", "X", "0x", "0X"}) Check(core::TryStrToInt(prefix + std::string(hex)) == number);
    Check(core::IniValueToInt("0x" + std::string(hex), fallback) == number);

    // The conversions agree with one another.
    const std::optional<int32_t> value = core::TryStrToInt(text);
    Check(core::StrToIntDef(text, fallback) == value.value_or(fallback));
    try {
        Check(core::StrToInt(text) == value);
    } catch (const core::ConvertError&) {
        Check(!value);
    }
    core::IniValueToInt(text, fallback);

    // A plain decimal text reads as its value when it fits, and fails otherwise.
    if (PlainDecimal(text) && text.size() < 64) {
        errno = 0;
        const long long reference = std::strtoll(text.c_str(), nullptr, 10);
        const bool fits = errno == 0 && reference >= INT32_MIN && reference <= INT32_MAX;
        Check(fits ? value == static_cast<int32_t>(reference) : !value);
    }
    return 0;
}

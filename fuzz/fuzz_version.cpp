// VersionToNumber against a reference written the long way, in 64 bits: the
// same number, or the same kind of error for the same text.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>

#include "core/errors.h"
#include "core/text.h"
#include "core/version.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

enum class Outcome { Number, Convert, Overflow };

bool Fits(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

// Pieces left to right; the first failing piece decides.
Outcome Reference(std::string_view text, int32_t& number, std::string_view& badPiece) {
    number = 0;
    if (text.empty()) return Outcome::Number;
    int64_t total = 0;
    int64_t weight = 10000;
    while (true) {
        const size_t dot = text.find('.');
        const std::optional<int32_t> piece = core::TryStrToInt(text.substr(0, dot));
        if (!piece) {
            badPiece = text.substr(0, dot);
            return Outcome::Convert;
        }
        const int64_t product = int64_t{*piece} * weight;
        if (!Fits(product)) return Outcome::Overflow;
        total += product;
        if (!Fits(total)) return Outcome::Overflow;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
        weight /= 100;
    }
    number = static_cast<int32_t>(total);
    return Outcome::Number;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    int32_t expected = 0;
    std::string_view badPiece;
    const Outcome outcome = Reference(text, expected, badPiece);
    try {
        const int32_t number = core::VersionToNumber(text);
        Check(outcome == Outcome::Number && number == expected);
    } catch (const core::ConvertError& error) {
        Check(outcome == Outcome::Convert);
        // The message names the piece; what() stops at a NUL, which a profile
        // value cannot hold anyway.
        if (badPiece.find('\0') == std::string_view::npos)
            Check(error.what() == "'" + std::string(badPiece) + "' n'est pas une valeur entière correcte");
    } catch (const core::OverflowError&) {
        Check(outcome == Outcome::Overflow);
    }
    // Any other exception escapes and libFuzzer reports it.
    return 0;
}

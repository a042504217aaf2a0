#include "core/version.h"

#include "core/text.h"

namespace core {

int32_t VersionToNumber(std::string_view text) {
    if (text.empty()) return 0;

    int32_t total = 0;
    int32_t weight = 10000;
    for (size_t dot = text.find('.'); dot != std::string_view::npos; dot = text.find('.')) {
        total = CheckedAdd(total, CheckedMultiply(StrToInt(text.substr(0, dot)), weight));
        text.remove_prefix(dot + 1);
        weight /= 100;  // 10000, 100, 1, then 0 for good
    }
    return CheckedAdd(total, CheckedMultiply(StrToInt(text), weight));
}

}  // namespace core

// The ini reader on arbitrary bytes, read back with arbitrary section and key
// names and buffer sizes.  Invariants: a result never exceeds its buffer, and a
// name found in the parsed sections reads back its stored value.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "core/errors.h"
#include "core/ini.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const size_t bufferSize = input.ConsumeIntegralInRange<size_t>(0, 3000);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string fallback = input.ConsumeRandomLengthString(64);
    const int32_t intFallback = input.ConsumeIntegral<int32_t>();
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    try {
        const core::IniFile file = core::IniFile::Parse(bytes);

        const std::string text = file.ReadString(section, key, fallback, bufferSize);
        Check(bufferSize == 0 ? text.empty() : text.size() <= bufferSize - 1);
        file.ReadInt(section, key, intFallback);
        if (!file.FindValue(section, key)) {
            // Missing or valueless: ReadInt gives the default.
            Check(file.ReadInt(section, key, intFallback) == intFallback);
        }

        // Every stored section can be found again by its own name, and every
        // entry reads back within a buffer of any size.
        for (const core::IniFile::Section& s : file.Sections()) {
            Check(file.FindSection(s.name) != nullptr);
            for (const core::IniFile::Entry& entry : s.entries) {
                const std::string value = file.ReadString(s.name, entry.key, "", entry.key.size() + 1);
                Check(value.size() <= entry.key.size());
                file.ReadInt(s.name, entry.key, intFallback);
            }
        }
    } catch (const core::Error&) {
        // The runtime's own errors are outcomes, not findings.
    }
    return 0;
}

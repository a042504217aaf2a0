#pragma once
// Raw-data (RCDATA) resources of the running executable.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace win {

// The bytes of the RCDATA resource named by this Windows-1252 text, on every
// ANSI code page; names match without regard to case.
// The bytes live as long as the module, so nothing needs releasing.
std::optional<std::span<const uint8_t>> FindRawData(const std::string& name);

}  // namespace win

#pragma once
// The installer stubs built into mkinstall.

#include <cstdint>
#include <span>

#include "command_line.h"

namespace mkinstall {

// The stub of that width, empty when mkinstall was built without it.
std::span<const uint8_t> EmbeddedStub(Arch arch);

// The build that makes the stub of that width, for the message that asks for it.
const char* StubPreset(Arch arch);

}  // namespace mkinstall

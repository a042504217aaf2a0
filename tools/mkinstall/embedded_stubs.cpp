#include "embedded_stubs.h"

// The stubs' bounds (stub_bytes.cpp), named as the assembler wrote them,
// without the leading underscore that 32-bit Windows adds to a C name.
extern const uint8_t stubX86Begin[] asm("mkinstall_stub_x86_begin");
extern const uint8_t stubX86End[] asm("mkinstall_stub_x86_end");
extern const uint8_t stubX64Begin[] asm("mkinstall_stub_x64_begin");
extern const uint8_t stubX64End[] asm("mkinstall_stub_x64_end");

namespace mkinstall {

std::span<const uint8_t> EmbeddedStub(Arch arch) {
    return arch == Arch::X86 ? std::span<const uint8_t>(stubX86Begin, stubX86End)
                             : std::span<const uint8_t>(stubX64Begin, stubX64End);
}

const char* StubPreset(Arch arch) { return arch == Arch::X86 ? "win32" : "win64"; }

}  // namespace mkinstall

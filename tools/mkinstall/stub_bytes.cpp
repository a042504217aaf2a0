// The bytes of the installer stubs, taken in by the assembler as they are
// from the copies the build makes (an empty file for a stub it does not
// have).  This file holds nothing else, and the assembler is left in the text
// section where it started: what the compiler adds (a sanitizer's
// constructor) goes where the compiler believes it goes.
#ifdef _WIN32
#define READ_ONLY_SECTION ".rdata,\"dr\""
#else
#define READ_ONLY_SECTION ".rodata,\"a\""
#endif

asm(".section " READ_ONLY_SECTION "\n"
    ".globl mkinstall_stub_x86_begin, mkinstall_stub_x86_end, mkinstall_stub_x64_begin, mkinstall_stub_x64_end\n"
    "mkinstall_stub_x86_begin:\n"
    ".incbin \"" MKINSTALL_STUB_X86_COPY "\"\n"
    "mkinstall_stub_x86_end:\n"
    "mkinstall_stub_x64_begin:\n"
    ".incbin \"" MKINSTALL_STUB_X64_COPY "\"\n"
    "mkinstall_stub_x64_end:\n"
    ".text\n");

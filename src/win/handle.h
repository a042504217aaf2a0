#pragma once
// Move-only owners for Win32 handles, one small type per resource kind.

#include <windows.h>

#include <utility>

namespace win {

// Traits supply the invalid value and how to release a valid one.
template <typename Traits>
class UniqueHandle {
public:
    using Value = typename Traits::Value;

    UniqueHandle() = default;
    explicit UniqueHandle(Value value) : value_(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Value get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }

    Value release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(Value value = Traits::Invalid()) {
        if (value_ != Traits::Invalid()) Traits::Close(value_);
        value_ = value;
    }

private:
    Value value_ = Traits::Invalid();
};

struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value value) { ::CloseHandle(value); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;  // CreateFile results

struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::CloseHandle(value); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;  // processes, threads, events

struct RegistryKeyTraits {
    using Value = HKEY;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::RegCloseKey(value); }
};
using RegistryKey = UniqueHandle<RegistryKeyTraits>;

struct GdiObjectTraits {
    using Value = HGDIOBJ;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::DeleteObject(value); }
};
using GdiObject = UniqueHandle<GdiObjectTraits>;  // fonts, brushes, bitmaps

struct MemoryDcTraits {
    using Value = HDC;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::DeleteDC(value); }
};
using MemoryDc = UniqueHandle<MemoryDcTraits>;  // CreateCompatibleDC results

struct WindowHookTraits {
    using Value = HHOOK;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::UnhookWindowsHookEx(value); }
};
using WindowHook = UniqueHandle<WindowHookTraits>;

struct ModuleTraits {
    using Value = HMODULE;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::FreeLibrary(value); }
};
using Module = UniqueHandle<ModuleTraits>;  // LoadLibrary results

}  // namespace win

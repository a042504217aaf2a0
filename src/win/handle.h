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
    // For a call that gives the handle through an out-parameter: whatever is
    // held goes first, and what the call writes is owned.
    Value* put() {
        reset();
        return &value_;
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

struct FindHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value value) { ::FindClose(value); }
};
using FindHandle = UniqueHandle<FindHandleTraits>;  // FindFirstFile searches

struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::CloseHandle(value); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;  // processes, threads, events, tokens, pipes

// What CreateProcess gives: the new process and its first thread, both owned.
class StartedProcess {
public:
    StartedProcess() = default;
    ~StartedProcess() { reset(); }

    StartedProcess(const StartedProcess&) = delete;
    StartedProcess& operator=(const StartedProcess&) = delete;
    StartedProcess(StartedProcess&& other) noexcept : info_(std::exchange(other.info_, {})) {}
    StartedProcess& operator=(StartedProcess&& other) noexcept {
        if (this != &other) {
            reset();
            info_ = std::exchange(other.info_, {});
        }
        return *this;
    }

    // For CreateProcess's last argument: whatever is held goes first.
    PROCESS_INFORMATION* put() {
        reset();
        return &info_;
    }
    explicit operator bool() const { return info_.hProcess != nullptr; }
    HANDLE process() const { return info_.hProcess; }
    DWORD id() const { return info_.dwProcessId; }

    void reset() {
        if (info_.hThread) ::CloseHandle(info_.hThread);
        if (info_.hProcess) ::CloseHandle(info_.hProcess);
        info_ = {};
    }

private:
    PROCESS_INFORMATION info_{};
};

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

// A window's device context, or the screen's (no window), from GetDC: given
// back to the window it came from.
class WindowDc {
public:
    explicit WindowDc(HWND window = nullptr) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

struct LocalMemoryTraits {
    using Value = HLOCAL;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::LocalFree(value); }
};
using LocalMemory = UniqueHandle<LocalMemoryTraits>;  // what the system allocates for us (FormatMessage)

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

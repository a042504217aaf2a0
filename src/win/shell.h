#pragma once
// The shell's special folders and shell links, and the COM plumbing they need.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <utility>

#include "core/errors.h"
#include "win/handle.h"
#include "win/wide_text.h"

namespace win {

// A COM call that failed where the program cannot go on; carries the
// system's text for the result code.
class ComError : public core::Error {
public:
    explicit ComError(HRESULT result);
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

// Owns one reference to a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For functions that hand out a new reference through a T**.
    T** put() {
        reset();
        return &pointer_;
    }
    void reset() {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }

private:
    T* pointer_ = nullptr;
};

// COM for the calling thread, single-threaded apartment, for as long as the
// object lives.  Taken by what needs it (a shortcut, the folder dialog),
// not at start-up, where it would delay the first page.  It is counted:
// apartments inside one another share the first.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialised_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

struct ItemIdListTraits {
    using Value = LPITEMIDLIST;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { ::CoTaskMemFree(value); }  // the shell's allocator
};
using ItemIdList = UniqueHandle<ItemIdListTraits>;

// The file-system path of a special folder by its CSIDL number, normally
// without a final "\"; empty when the shell has no path for it.  The shell
// is asked in UTF-16, since a folder may hold characters that the ANSI code
// page lacks (a user named Łukasz).
std::wstring SpecialFolderPathW(int folder, HWND owner = nullptr);
// The same as a path the "A" functions can use (see AnsiPath); empty when
// there is none.
std::string SpecialFolderPath(int folder, HWND owner = nullptr);

// A shell link object (CLSID_ShellLink) with its IShellLinkW and IPersistFile
// interfaces, taking our ANSI texts.  COM must be initialised on the thread.
class ShellLink {
public:
    ShellLink();  // throws ComError when the object or an interface is refused

    bool SetPath(const std::string& target);
    std::string GetPath() const;  // empty when the link has no path

    bool Save(const std::wstring& linkPath);
    bool Save(const std::string& linkPath) { return Save(AnsiToWide(linkPath)); }
    bool Load(const std::string& linkPath);

private:
    ComApartment apartment_;  // first: it outlives the interfaces
    ComPtr<IShellLinkW> link_;
    ComPtr<IPersistFile> file_;
};

}  // namespace win

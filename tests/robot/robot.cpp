#include "robot.h"

#include "win/handle.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

namespace robot {

namespace {

struct Search {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if ((search->processId == kAnyProcess || owner == search->processId) && ::IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

template <typename Match>
HWND WaitFor(DWORD processId, std::chrono::milliseconds timeout, Match match) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        for (HWND window : TopLevelWindows(processId))
            if (match(window)) return window;
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return nullptr;
}

constexpr UINT kAnswerTimeout = 5000;  // ms a busy program may take to answer

// Selects a GDI object into a device context for its lifetime.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selected() { ::SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Runs xdotool, a program of the Unix side.  Wine starts it with this
// process's environment, and so its X display, but gives no handle to wait
// on: the shell around it leaves its exit status in a file that this side
// reads through Wine's Z: drive.  Its name holds the moment of the call to
// the tick: process numbers start again in each Wine prefix, so tests
// running side by side, or a file left by a run that was stopped, would
// otherwise hand one call another's status before its own xdotool has run.
bool RunXdotool(const std::string& arguments) {
    static std::atomic<int> serial = 0;
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    const std::string status = "/tmp/robot-xdotool-" + std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(++serial) + "-" + std::to_string(now.QuadPart);
    std::string command = "/bin/sh -c \"xdotool " + arguments + "; echo $? >" + status + ".part && mv " + status +
                          ".part " + status + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    win::StartedProcess started;  // its end is told by the status file
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          started.put()))
        return false;

    std::string statusFile = "Z:" + status;
    for (char& c : statusFile)
        if (c == '/') c = '\\';
    std::string text;
    const bool ended = WaitUntil(
        [&] {
            win::FileHandle file(::CreateFileA(statusFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
            char buffer[16];
            DWORD read = 0;
            if (!file || !::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return false;
            text.assign(buffer, read);
            return true;
        },
        // Generous: a loaded machine may take seconds to start a program.
        // Pressing on after a late xdotool would send its keys out of turn.
        60s);
    ::DeleteFileA(statusFile.c_str());
    return ended && text == "0\n";
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId) {
    Search search{processId, {}};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForClass(DWORD processId, const std::string& className, std::chrono::milliseconds timeout) {
    return WaitFor(processId, timeout, [&](HWND window) { return ClassName(window) == className; });
}

HWND WaitForCaption(DWORD processId, const std::string& caption, std::chrono::milliseconds timeout) {
    return WaitFor(processId, timeout, [&](HWND window) { return Text(window) == caption; });
}

bool WaitUntilGone(DWORD processId, const std::string& className, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        bool present = false;
        for (HWND window : TopLevelWindows(processId)) present = present || ClassName(window) == className;
        if (!present) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
}

std::vector<HWND> Controls(HWND window) {
    std::vector<HWND> controls;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    return controls;
}

HWND FindControl(HWND window, const std::string& text, const std::string& className) {
    for (HWND control : Controls(window))
        if (Text(control) == text && (className.empty() || _stricmp(ClassName(control).c_str(), className.c_str()) == 0))
            return control;
    return nullptr;
}

HWND FindControlOfClass(HWND window, const std::string& className) {
    for (HWND control : Controls(window))
        if (_stricmp(ClassName(control).c_str(), className.c_str()) == 0) return control;
    return nullptr;
}

std::string Text(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeout, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               kAnswerTimeout, &copied))
        return {};
    text.resize(copied);
    return text;
}

std::string ClassName(HWND window) {
    char name[256];
    const int length = ::GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

RECT RectIn(HWND control, HWND reference) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool IsChecked(HWND checkBox) {
    DWORD_PTR state = 0;
    ::SendMessageTimeoutA(checkBox, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeout, &state);
    return state == BST_CHECKED;
}

bool IsEnabled(HWND window) { return ::IsWindowEnabled(window) != FALSE; }

void Settle(HWND window) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeout, &ignored);
}

bool Click(HWND control) {
    POINT centre{};
    const auto shows = [&] {
        RECT rect;
        if (!::IsWindowVisible(control) || !::GetWindowRect(control, &rect)) return false;
        centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        // The point finds no disabled control, only the window under it.
        HWND seen = ::WindowFromPoint(centre);
        return seen == control || (!::IsWindowEnabled(control) && seen == ::GetParent(control));
    };
    // No --sync: it waits for the pointer to move, which never comes when it
    // is already there.  The move and the click travel in order all the same.
    return WaitUntil(shows, 5s) && RunXdotool("mousemove " + std::to_string(centre.x) + " " +
                                              std::to_string(centre.y) + " click 1");
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{sizeof info};
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

HWND FocusedControl(HWND window) {
    HWND focus = FocusOf(window);
    return focus && ::IsChild(window, focus) ? focus : nullptr;
}

bool PressKeys(HWND window, const std::string& keys) {
    // Under 32-bit Wine a program killed while in front, as a test ends, can
    // leave no window in front at all, for good: the keys then reach the
    // window whose thread holds the focus, which is enough.
    const bool ready = WaitUntil(
        [&] {
            HWND focus = FocusOf(window);
            HWND front = ::GetForegroundWindow();
            return (front == window || front == nullptr) && (focus == window || ::IsChild(window, focus));
        },
        5s);
    return ready && RunXdotool("key --clearmodifiers " + keys);
}

bool PressUntil(HWND window, const std::string& keys, const std::function<bool()>& done, int presses,
                std::chrono::milliseconds patience) {
    for (int press = 0; press < presses; ++press)
        if (done() || !PressKeys(window, keys) || WaitUntil(done, patience)) break;
    return done();
}

void Type(HWND edit, const std::string& text) {
    // Sent, not posted, so that the text is complete when this returns.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, kAnswerTimeout, &ignored);
    ::SendMessageTimeoutA(edit, WM_CLEAR, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeout, &ignored);
    for (unsigned char c : text) ::SendMessageTimeoutA(edit, WM_CHAR, c, 1, SMTO_ABORTIFHUNG, kAnswerTimeout, &ignored);
}

bool ClickCloseBox(HWND window) {
    // The box is wherever the window says it is: the first point of its
    // title bar, from the right, that it answers HTCLOSE for.
    RECT rect;
    if (!::IsWindowVisible(window) || !::GetWindowRect(window, &rect)) return false;
    const int right = std::min<int>(rect.right, ::GetSystemMetrics(SM_CXSCREEN)) - 1;
    const int top = std::max<int>(rect.top, 0);
    for (int y = top; y < top + 64; y += 2)
        for (int x = right; x > right - 160; x -= 2) {
            DWORD_PTR hit = HTNOWHERE;
            ::SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kAnswerTimeout, &hit);
            if (hit == HTCLOSE)
                return RunXdotool("mousemove " + std::to_string(x - 2) + " " + std::to_string(y + 2) + " click 1");
        }
    return false;
}

void Close(HWND window) {
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle(window);
}

bool CaptureScreen(const std::string& path) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const win::WindowDc screen;
    win::MemoryDc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as .bmp files store rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    win::GdiObject bitmap(::CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                             &bits, nullptr, 0));
    if (!memory || !bitmap) return false;
    {
        Selected previous(memory.get(), bitmap.get());
        if (!::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY)) return false;
        ::GdiFlush();
    }
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    header.biSizeImage = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;

    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) return false;
    const bool written = std::fwrite(&fileHeader, sizeof fileHeader, 1, file.get()) == 1 &&
                         std::fwrite(&header, sizeof header, 1, file.get()) == 1 &&
                         std::fwrite(bits, 1, header.biSizeImage, file.get()) == header.biSizeImage;
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace robot

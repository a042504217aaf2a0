#include "ShBrowseU/ShBrowseU.h"

#include <objbase.h>

#include "core/background.h"
#include "ui/application.h"
#include "win/shell.h"

bool TShBrowse::Execute() {
    BROWSEINFOA info{};
    info.hwndOwner = Handle;
    info.pidlRoot = nullptr;        // the whole namespace, from the desktop down
    info.pszDisplayName = nullptr;
    info.lpszTitle = Title.c_str();  // an empty title is an empty text, not a missing one
    info.ulFlags = Flags;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    info.iImage = 0;

    // The dialog needs COM on this thread; a failure does not stop it.
    win::UseCom();
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
    if (!chosen) return false;
    ImageIndex = info.iImage;
    Folder = ItemListToPath(chosen, true);
    return true;
}

int CALLBACK TShBrowse::BrowseCallback(HWND dialog, UINT message, LPARAM argument, LPARAM browser) {
    auto* self = reinterpret_cast<TShBrowse*>(browser);
    self->Handle = dialog;
    // No exception may unwind through the shell: errors of a validation
    // handler go to the general error handler here.
    try {
        if (message == BFFM_INITIALIZED)
            self->Initialised(dialog);
        else if (message == BFFM_SELCHANGED && self->OnValidate && argument)
            self->SelectionChanged(reinterpret_cast<LPITEMIDLIST>(argument));
    } catch (...) {
        if (ui::Application* application = ui::Application::Current())
            application->HandleException(std::current_exception());
    }
    return 0;
}

void TShBrowse::Initialised(HWND dialog) {
    if (Left == 0 || Top == 0) {
        // Offsets from the screen's origin: the work area's own corner is not
        // added, as the dialog has always been placed.
        RECT window, workArea;
        ::GetWindowRect(dialog, &window);
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
        Left = core::CentredOffset(workArea.right - workArea.left, window.right - window.left);
        Top = core::CentredOffset(workArea.bottom - workArea.top, window.bottom - window.top);
    }
    ::SetWindowPos(dialog, HWND_TOP, Left, Top, 0, 0, SWP_NOSIZE);
    if (!Caption.empty()) ::SendMessageA(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Caption.c_str()));
    if (!InitialFolder.empty())
        ::SendMessageA(dialog, BFFM_SETSELECTIONA, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(InitialFolder.c_str()));
}

void TShBrowse::SelectionChanged(LPITEMIDLIST selection) {
    Folder = ItemListToPath(selection, false);  // the list belongs to the dialog
    const bool ok = OnValidate(*this, Folder);
    ::SendMessageA(Handle, BFFM_ENABLEOK, 0, ok ? 1 : 0);
}

std::string TShBrowse::ItemListToPath(LPITEMIDLIST list, bool free) {
    // An item without a file-system path leaves the buffer untouched: start
    // it empty so that such an item gives the empty text.
    char buffer[260] = {};
    ::SHGetPathFromIDListA(list, buffer);
    buffer[sizeof buffer - 1] = '\0';
    std::string path(buffer);
    size_t start = 0;
    while (start < path.size() && static_cast<unsigned char>(path[start]) <= ' ') ++start;
    path.erase(0, start);

    if (free) {
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator) {
            allocator->Free(list);
            allocator->Release();
        }
    }
    return path;
}

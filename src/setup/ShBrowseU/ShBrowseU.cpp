#include "ShBrowseU/ShBrowseU.h"

#include <objbase.h>

#include <utility>

#include "core/background.h"
#include "General/ShortNames.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "win/shell.h"
#include "win/wide_text.h"

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
    const win::ComApartment apartment;
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
    if (!chosen) return false;
    ImageIndex = info.iImage;
    // A folder whose name the code page cannot write is taken in its short
    // form; one without a short form cannot be used, and the box says so.
    const std::wstring path = ItemListToWidePath(chosen);
    std::string folder = ItemListToPath(chosen, true);
    if (folder.empty() && !path.empty()) {
        ui::ShowDialog(ui::DialogKind::Warning, NoShortNameText(path) + "\r\rChoisissez un autre dossier.",
                       ui::DialogButtons::Ok);
        return false;
    }
    Folder = std::move(folder);
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

std::wstring TShBrowse::ItemListToWidePath(LPITEMIDLIST list) {
    // An item without a file-system path leaves the buffer untouched: start
    // it empty so that such an item gives the empty text.
    wchar_t buffer[MAX_PATH] = {};
    ::SHGetPathFromIDListW(list, buffer);
    buffer[MAX_PATH - 1] = L'\0';
    std::wstring path(buffer);
    size_t start = 0;
    while (start < path.size() && path[start] <= L' ') ++start;
    return path.substr(start);
}

std::string TShBrowse::ItemListToPath(LPITEMIDLIST list, bool free) {
    const std::string path = win::AnsiPath(ItemListToWidePath(list)).value_or(std::string());

    if (free) {
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator) {
            allocator->Free(list);
            allocator->Release();
        }
    }
    return path;
}

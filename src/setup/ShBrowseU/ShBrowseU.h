#pragma once
// The shell's folder dialog in a small object: set the texts, the folder to
// select at the start and, if wanted, a position, the browse flags and a
// validation handler; call Execute; read Folder.

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <string>

class TShBrowse {
public:
    // Owner of the dialog when Execute opens it; from the dialog's first
    // callback on, the dialog's own window.
    HWND Handle = nullptr;
    // The dialog's window title; empty keeps the system's.
    std::string Caption = "Browse for Folder";
    // The chosen folder; also refreshed at every change of selection while
    // OnValidate is set.
    std::string Folder;
    // Decides at every change of selection whether OK is enabled.
    std::function<bool(TShBrowse& sender, const std::string& path)> OnValidate;
    // Folder selected when the dialog opens; empty keeps the system's choice.
    std::string InitialFolder;
    // Screen position of the dialog; if either is 0 when it opens, both are
    // replaced by the position that centres it on the work area.
    int32_t Left = 0;
    // The chosen folder's icon in the system image list.
    int32_t ImageIndex = 0;
    int32_t Top = 0;
    // Text above the folder tree.
    std::string Title = "Select folder";
    // Browse flags, handed unchanged to the system.
    uint32_t Flags = 0;

    // Shows the dialog modally; true when a folder was chosen (Folder then
    // holds its path), false when the dialog was cancelled.
    bool Execute();

    // The callback given to the system dialog; always 0.
    static int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM argument, LPARAM browser);

    // The item list's file-system path, empty for an item that has none, or
    // whose path has no form the "A" functions can use (the short form stands
    // for a name the code page cannot write); frees the list through the
    // shell's allocator when asked.
    static std::string ItemListToPath(LPITEMIDLIST list, bool free);
    // The same path in UTF-16, as the shell gives it; the list stays.
    static std::wstring ItemListToWidePath(LPITEMIDLIST list);

private:
    void Initialised(HWND dialog);
    void SelectionChanged(LPITEMIDLIST selection);
};

#pragma once
// Folders whose names Windows-1252 cannot write reach the program in their
// short (8.3) form (see win/wide_text.h).  A volume may have short names
// switched off: such a folder cannot be used, and the box says which.

#include <string>

// The box's first paragraph, naming the folder ("?" for each character the
// code page lacks); the caller adds what follows from it.
std::string NoShortNameText(const std::wstring& folder);

// For a folder the installer needs to start: the whole box.
std::string NoShortNameStartUpText(const std::wstring& folder);

#pragma once
// The work folder and the work copy of the manifest.

#include <string>

// The system's temporary folder, else the executable's own folder, whichever
// first accepts a probe file; ends with "\".  Empty when neither does.
std::string FindWorkDir();

// Writes the embedded manifest to WorkDir + "SETUP.LST".
bool ExtractSetupList();

// Removes the work copy of the manifest, when there is a work folder.
void DeleteWorkCopy();

inline constexpr const char* kSetupListName = "SETUP.LST";

#pragma once
// The work folder and the work copy of the manifest.

#include <string>

// A private folder made fresh for this run, in the system's temporary folder,
// else in the executable's own folder, whichever first takes it and a probe
// file; ends with "\".  Empty when neither does.  Its name cannot be guessed
// and only the running account may open it, so that nobody can prepare or
// swap the work copies written there, not even in a temporary folder that
// every user shares.
std::string FindWorkDir();

// The first place for the work folder that was passed over because its path
// has no form the "A" functions can use (a temporary folder under
// C:\Users\Łukasz on a volume without short names); empty when none was.
std::wstring WorkDirPlaceWithoutShortName();

// Writes the embedded manifest to WorkDir + "SETUP.LST".
bool ExtractSetupList();

// Removes the work copy of the manifest, then the work folder, which the run
// has emptied of its other work copies.
void RemoveWorkDir();

inline constexpr const char* kSetupListName = "SETUP.LST";
// The work folder's name starts with this.
inline constexpr const char* kWorkFolderPrefix = "inst";

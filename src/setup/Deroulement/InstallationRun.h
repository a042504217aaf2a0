#pragma once
// The installation run: the one sequence that changes the user's system.
// The progress page runs it once, from its first timer tick; the page's
// controls are reached only through RunProgress, so tests can drive the run
// without a window.

#include <string>

#include "Progress/RunProgress.h"

inline constexpr const char* kSuccessText = "L'installation s'est terminée avec succès !";
inline constexpr const char* kFailureText = "L'installation a échouée !";
inline constexpr const char* kQuitSignalName = "korvalix.quit";

// Runs the whole installation from the installer state and the work copy of
// the manifest.  Errors that no routine turns into a result (a log that
// cannot be written, say) leave the run as exceptions.
void RunInstallation(RunProgress& page);

// The run as the progress page starts it: an error that leaves the run is
// shown by the general error handler, and the page then ends as a failure, so
// that the user can leave.
void RunInstallationShowingErrors(RunProgress& page);

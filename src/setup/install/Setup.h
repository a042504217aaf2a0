#pragma once
// Everything the program does once its application object exists: it reads
// the command line, starts up, then shows the wizard, or the progress page
// alone (/SILENT), or installs without any window (/S), and says how it
// ended in its exit code.

#include <string>

// `arguments` is the command line after the program's name.  Returns the
// exit code.
int RunSetup(const std::string& arguments);

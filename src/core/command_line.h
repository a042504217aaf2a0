#pragma once
// A command line split into its words the way Windows programs split theirs,
// so that a command stored by the installer (an uninstall entry) is read as
// the system will run it.

#include <string>
#include <string_view>
#include <vector>

namespace core {

// The program's name first, up to the first blank outside quotes, its quotes
// dropped.  Then the arguments, separated by blanks, with
// the C runtime's rules for quotes and the backslashes before them:
//   2n backslashes and a quote  -> n backslashes, and the quote opens or closes
//   2n+1 backslashes and a quote -> n backslashes and a literal quote
//   backslashes before anything else stay as they are
//   two quotes inside a quoted part -> one literal quote
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace core

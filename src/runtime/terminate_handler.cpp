// What ends a program when an exception escapes every handler.  libstdc++'s
// own handler first writes the exception's type to the standard error, which
// a window program has not got, and brings a demangler and printf that make
// up a tenth of the installer.  This one only ends the program.  Linked into
// each executable as an object, so that it replaces the library's.

#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

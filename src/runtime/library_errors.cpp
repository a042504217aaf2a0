// How the standard library raises its own errors: a string position out of
// range, a size beyond what a container can hold.  libstdc++'s versions
// build std::logic_error and its kin, which keep their text in a
// copy-on-write string: with it come a second string implementation and what
// it needs, some 80 KB of every program.  These raise such errors as core::Error, which the programs'
// error handlers show like any other; the errors of memory and of types stay
// the standard ones.  Linked into each executable as an object, so that they
// replace the whole of the library's member that defines them.

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <string>
#include <typeinfo>

#include "core/errors.h"

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }

void __throw_logic_error(const char* what) { throw core::Error(what); }
void __throw_domain_error(const char* what) { throw core::Error(what); }
void __throw_invalid_argument(const char* what) { throw core::Error(what); }
void __throw_length_error(const char* what) { throw core::Error(what); }
void __throw_out_of_range(const char* what) { throw core::Error(what); }
void __throw_runtime_error(const char* what) { throw core::Error(what); }
void __throw_range_error(const char* what) { throw core::Error(what); }
void __throw_overflow_error(const char* what) { throw core::Error(what); }
void __throw_underflow_error(const char* what) { throw core::Error(what); }
// "%s: __pos (which is %zu) > this->size() (which is %zu)": the library's
// formats take only texts and sizes.
void __throw_out_of_range_fmt(const char* format, ...) {
    std::string text;
    va_list arguments;
    va_start(arguments, format);
    for (const char* c = format; *c; ++c) {
        if (c[0] == '%' && c[1] == 's') {
            text += va_arg(arguments, const char*);
            ++c;
        } else if (c[0] == '%' && c[1] == 'z' && c[2] == 'u') {
            text += std::to_string(va_arg(arguments, size_t));
            c += 2;
        } else if (c[0] == '%' && c[1] == '%') {
            text += '%';
            ++c;
        } else {
            text += *c;
        }
    }
    va_end(arguments);
    throw core::Error(text);
}

}  // namespace std

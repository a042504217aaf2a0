#include "win/local_time.h"

#include <windows.h>

namespace win {

core::LocalTime LocalNow() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace win

#pragma once
// The machine's local date and time.

#include "core/journal.h"

namespace win {

core::LocalTime LocalNow();

}  // namespace win

#include "core/progress_plan.h"

namespace core {

ProgressPlan PlanProgress(int32_t fileCount) {
    const int64_t units = (static_cast<int64_t>(fileCount) + 1) * 3;
    if (units > 0 && 100 / units >= 1) return {100, static_cast<int32_t>(100 / units)};
    // The bar cannot hold more than this many distinct positions anyway.
    const int64_t maximum = units < 1 ? 1 : (units > 1000000 ? 1000000 : units);
    return {static_cast<int32_t>(maximum), 1};
}

}  // namespace core

#include "core/progress_plan.h"

#include <gtest/gtest.h>

namespace core {
namespace {

// The bar's rules, for counts of files on both sides of 32: a run makes at
// most 3F + 2 steps for F files (one for the checks, two per file, one for
// the group, one per shortcut).  Up to 32 files the bar counts to 100 in
// steps of 100 div ((F + 1) * 3); beyond, every step must still move it.
// Either way it is full only when the run ends, and it never has more than
// the million positions a bar can show.
TEST(PlanProgress, FollowsTheBarsRules) {
    for (const int32_t files : {0, 1, 4, 10, 32, 33, 34, 100, 5000, 333332, 333333, 1 << 24, 2147483647}) {
        SCOPED_TRACE(files);
        const ProgressPlan plan = PlanProgress(files);
        const int64_t units = (int64_t{files} + 1) * 3;
        const int64_t mostSteps = 3 * int64_t{files} + 2;
        if (units <= 100) {
            EXPECT_EQ(plan.maximum, 100);
            EXPECT_EQ(plan.step, 100 / units);
        }
        EXPECT_GE(plan.step, 1) << "every step moves the bar";
        EXPECT_LE(plan.maximum, 1000000);
        if (mostSteps < 1000000) {
            EXPECT_LT(mostSteps * plan.step, plan.maximum) << "full only at the end";
        }
    }
    EXPECT_EQ(PlanProgress(4).step, 6) << "the embedded manifest's four files";
}

}  // namespace
}  // namespace core

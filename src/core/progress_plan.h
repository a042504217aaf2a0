#pragma once
// How the progress page's bar moves during the run, for the number of files
// the manifest lists.

#include <cstdint>

namespace core {

// 100 div ((files + 1) * 3) steps of a bar of 100 while that step is at
// least 1; for more files, a finer bar of one unit per step, so that it
// still moves.
struct ProgressPlan {
    int32_t maximum;
    int32_t step;
};
ProgressPlan PlanProgress(int32_t fileCount);

}  // namespace core

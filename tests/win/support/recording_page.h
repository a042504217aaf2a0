#pragma once
// A progress page without a window: it records what the installation run
// shows, so that tests can drive the run in process.

#include <algorithm>
#include <string>
#include <vector>

#include "Deroulement/InstallationRun.h"

namespace testing_support {

class RecordingPage : public RunProgress {
public:
    void SetBar(int32_t maximum, int32_t step) override {
        maximum_ = maximum;
        step_ = step;
    }
    void SetStatus(const std::string& text, bool) override { statuses.push_back(text); }
    void Step() override {
        position = std::min(position + step_, maximum_);
        ++steps;
        if (cancelAfterSteps && steps >= cancelAfterSteps) cancel = true;
    }
    void ProcessMessages() override { ++messageRounds; }
    bool CancelRequested() const override { return cancel; }
    void Complete(bool isFailure) override {
        completed = true;
        failed = isFailure;
        position = maximum_;
    }

    std::vector<std::string> statuses;
    int position = 0;
    int steps = 0;
    int messageRounds = 0;
    int cancelAfterSteps = 0;
    bool cancel = false;
    bool completed = false;
    bool failed = false;
    int32_t maximum_ = 0;
    int32_t step_ = 0;
};

}  // namespace testing_support

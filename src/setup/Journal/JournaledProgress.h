#pragma once
// The progress page with each status text written to the journal too: the
// journal then tells the steps of the run in the words the page shows.

#include <string>

#include "Journal/Journal.h"
#include "Progress/RunProgress.h"

class JournaledProgress final : public RunProgress {
public:
    explicit JournaledProgress(RunProgress& page) : page_(page) {}
    void SetBar(int32_t maximum, int32_t step) override { page_.SetBar(maximum, step); }
    void SetStatus(const std::string& text, bool processMessages) override {
        Journal.Write(text);
        page_.SetStatus(text, processMessages);
    }
    void Step() override { page_.Step(); }
    void ProcessMessages() override { page_.ProcessMessages(); }
    bool CancelRequested() const override { return page_.CancelRequested(); }
    void Complete(bool failed) override { page_.Complete(failed); }

private:
    RunProgress& page_;
};

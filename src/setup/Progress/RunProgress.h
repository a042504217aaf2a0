#pragma once
// What the installation run, and the check of the installer before it, see
// of the progress page: its bar, its status text, its "Annuler" and its
// message loop.  An interface of its own, so that every unit that reports
// progress, the page and its stand-ins in tests need nothing but this.

#include <cstdint>
#include <string>

class RunProgress {
public:
    virtual ~RunProgress() = default;

    // The bar's range is 0 to `maximum`; each Step advances it by `step`.
    virtual void SetBar(int32_t maximum, int32_t step) = 0;
    // Shows the status text; handles pending window messages when asked to.
    virtual void SetStatus(const std::string& text, bool processMessages = true) = 0;
    // Advances the bar by one step, then handles pending window messages.
    virtual void Step() = 0;
    // Handles pending window messages, so the page repaints during long work.
    virtual void ProcessMessages() = 0;
    // True once the user pressed "Annuler" on the page.
    virtual bool CancelRequested() const = 0;
    // Fills the bar, disables "Annuler", enables "Terminer" and shows the
    // final verdict.
    virtual void Complete(bool failed) = 0;
};

// A progress page nobody sees, for a run without windows (/S) and for the
// benchmarks: nothing to show, nobody to cancel; it keeps how the run ended.
class UnseenProgress final : public RunProgress {
public:
    void SetBar(int32_t, int32_t) override {}
    void SetStatus(const std::string&, bool) override {}
    void Step() override {}
    void ProcessMessages() override {}
    bool CancelRequested() const override { return false; }
    void Complete(bool isFailure) override { failed = isFailure; }

    bool failed = true;  // until the run completes
};

#pragma once
// The command line's switches as the rest of the installer asks them: each
// decision they make has its name here, so that what /SILENT, /NOCANCEL or
// /SUPPRESSMSGBOXES mean, and how they combine, is written once.

#include <string>
#include <utility>

#include "core/setup_command.h"

class SetupSwitches {
public:
    SetupSwitches() = default;
    explicit SetupSwitches(core::SetupOptions options) : options_(std::move(options)) {}

    // /S, /VERYSILENT or /SILENT: nobody waits in front of the screen.  Every
    // box is answered as closing it would, the wizard is never asked to
    // close, and the end of the run ends the program.
    bool NobodyAnswers() const { return options_.mode != core::SetupMode::Wizard; }
    // /S, /VERYSILENT: no window at all.
    bool ShowsNoWindow() const { return options_.mode == core::SetupMode::VerySilent; }
    // /SILENT: no question; the background opens on the progress page.
    bool StartsOnTheProgressPage() const { return options_.mode == core::SetupMode::Silent; }
    // /SILENT /NOCANCEL: the administrator wants the run to go to its end.
    bool HidesCancel() const { return options_.noCancel && options_.mode == core::SetupMode::Silent; }
    // /SUPPRESSMSGBOXES with the wizard: each box takes the answer of its
    // default button.  The silent modes answer every box anyway.
    bool AnswersBoxesByDefault() const { return options_.suppressBoxes && !NobodyAnswers(); }
    // /ALLOWDOWNGRADE: installs over a newer installation without asking.
    bool AllowsDowngrade() const { return options_.allowDowngrade; }
    // The line holds anything at all: the exit code then tells every outcome.
    bool Given() const { return options_.switchesGiven; }

    // The choices the options page proposes, and a silent run takes.
    // /DIR or /D; empty for the default destination.
    const std::string& Destination() const { return options_.installDir; }
    bool WantsStartMenu() const { return !options_.noStartMenu; }  // not /NOSTARTMENU
    bool WantsDesktop() const { return options_.desktop; }         // /DESKTOP

    // The destination as it can be named once its folders exist: its short
    // form, when Windows-1252 cannot write it.
    void SetDestination(std::string folder) { options_.installDir = std::move(folder); }

private:
    core::SetupOptions options_;
};

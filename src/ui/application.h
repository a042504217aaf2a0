#pragma once
// The application object: the common controls, the message loop, the
// terminate request and the general error handler.  There is one per process.

#include <exception>
#include <string>

#include "win/handle.h"

namespace ui {

class Form;

class Application {
public:
    Application();  // loads and initialises the common controls
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Current();

    // Runs the message loop until Terminate is called.
    void Run();
    // Handles every message already waiting, then returns.
    void ProcessMessages();
    // Asks the message loop to end; the loop ends as soon as it takes the request.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The general error handler: the error's text (with a final "." added
    // when its last character sorts after ".") in an error box titled with
    // the application's title.
    void HandleException(const std::exception& error);
    void HandleException(std::exception_ptr error);

    // The first form created becomes the main form: closing it ends the
    // program.
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* form) { mainForm_ = form; }

    // The executable's file name up to its first ".", every character after
    // the first in lower case: "install" for install.exe.
    const std::string& Title() const { return title_; }

private:
    bool ProcessOneMessage();

    std::string title_;
    bool terminated_ = false;
    win::Module imageBlending_;   // msimg32, a dependency of some common-controls builds
    win::Module commonControls_;  // holds the classes of the controls
    Form* mainForm_ = nullptr;
};

// The text the general error handler shows for a message.
std::string ErrorBoxText(const std::string& message);

// The application title for an executable path.
std::string ApplicationTitle(const std::string& executablePath);

}  // namespace ui

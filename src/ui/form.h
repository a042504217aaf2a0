#pragma once
// The form base class: one top-level window bound to one C++ object.
//
// The window is created hidden by the constructor, with `this` bound at
// WM_NCCREATE; each message is dispatched to a member handler inside a
// try/catch that hands any error to the application's general error handler,
// so no exception ever unwinds through Windows.  A derived form declares its
// controls as members (see controls.h), overrides the events it needs and is
// made with CreateForm, which runs FormCreate once the object is complete.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/font.h"

namespace ui {

class Control;
class Button;
class Timer;

// A rectangle in pixels at 96 dpi, relative to the parent's client area.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class FormBorder {
    Sizeable,  // sizeable frame, system menu, minimize and maximize boxes
    Single,    // fixed size, title bar with the system menu and a close box only
};

struct FormArgs {
    const char* className = "TForm";  // the window class, named after the form's class
    std::string caption;
    int clientWidth = 0;   // 96-dpi client size; 0 leaves size and position to the system
    int clientHeight = 0;
    FormBorder border = FormBorder::Sizeable;
    bool centreOnDesktop = false;  // at the first show; later shows keep the last place
    bool maximized = false;        // shown maximized the first time
    int colour = COLOR_BTNFACE;    // system colour of the background
    FontSpec font;                 // the form's font, used by its controls and its painting
};

class Form {
public:
    explicit Form(const FormArgs& args);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return handle_; }
    const Font& FormFont() const { return font_; }
    int Colour() const { return colour_; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    bool Visible() const;
    // Makes the form visible if it is hidden (FormShow runs first), then
    // brings it to the front of all windows.  The way to show a form: a
    // window made visible behind the form's back runs no FormShow.
    void Show();
    void Hide();
    // As the close box: FormCloseQuery decides; the main form then ends the
    // program, any other form hides.
    void Close();

    // Puts the keyboard focus on `control` (a child of the form; null for the
    // form itself) if the form is the active window, else remembers it for
    // the form's next activation.
    void FocusControl(HWND control);

    // Runs FormCreate under the general error handler; CreateForm calls it.
    void Created();
    // Destroys the window; FormDestroy runs while the object is still whole.
    void DestroyHandle();

protected:
    virtual void FormCreate() {}
    virtual void FormShow() {}          // only when the form turns from hidden to visible
    virtual void FormPaint(HDC) {}      // the form's font is selected into the context
    virtual void FormCloseQuery(bool& /*canClose*/) {}
    virtual void FormDestroy() {}

    // Every message passes here; override to see one the base does not.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class Control;
    friend class Button;
    friend class Timer;

    void Showing();  // FormShow under the general error handler
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void RegisterClassOnce(const char* className, int colour);

    int AddControl(Control* control);
    void RemoveControl(Control* control);
    Control* ControlById(int id) const;
    int AddTimer(Timer* timer);
    void RemoveTimer(Timer* timer);

    void OnActivate(bool active);
    void RestoreFocus();
    HWND FirstTabStop() const;
    LRESULT DefaultButtonId() const;
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void PlaceForFirstShow();

    HWND handle_ = nullptr;
    Font font_;
    int colour_;
    bool centreOnDesktop_;
    bool maximized_;
    bool shownBefore_ = false;
    HWND lastFocus_ = nullptr;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    std::vector<Control*> controls_;  // index + kFirstControlId is the control's id
    std::vector<Timer*> timers_;      // index + 1 is the timer's id
};

// Destroys the window first, so that FormDestroy sees the whole object.
struct FormDeleter {
    void operator()(Form* form) const {
        form->DestroyHandle();
        delete form;
    }
};

template <typename T>
using FormPtr = std::unique_ptr<T, FormDeleter>;

// Makes a form and runs its FormCreate.
template <typename T, typename... Args>
FormPtr<T> CreateForm(Args&&... args) {
    FormPtr<T> form(new T(std::forward<Args>(args)...));
    form->Created();
    return form;
}

}  // namespace ui

#pragma once
// The standard controls the wizard pages use.  Each is a member of its form,
// made from a named-field argument struct with its place in 96-dpi pixels:
//
//     ui::Button SuivantBtn{*this, {.caption = "Suivant", .bounds = {292, 176, 75, 21},
//                                   .role = ui::ButtonRole::Default,
//                                   .onClick = [this] { SuivantBtnClick(); }}};
//
// A control's parent is its form or a group box of that form (then its place
// counts from the group box's top-left corner).  Every control is a direct
// child window of the form, so the tab order is the order of creation; group
// boxes are kept under the controls drawn on them.  The form owns the windows;
// the objects only have to outlive their use.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "ui/font.h"
#include "ui/form.h"
#include "win/handle.h"

namespace ui {

class GroupBox;

// Where a control goes: a form, or a group box of a form.
class Parent {
public:
    Parent(Form& form) : form_(form) {}  // NOLINT: implicit by design
    Parent(GroupBox& groupBox);          // NOLINT
    Form& form() const { return form_; }
    Bounds Place(const Bounds& bounds) const;

private:
    Form& form_;
    int left_ = 0;  // the group box's corner in the form, 96-dpi
    int top_ = 0;
};

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Handle() const { return handle_; }
    Form& Owner() const { return form_; }

    std::string Text() const;
    virtual void SetText(const std::string& text);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Focused() const { return ::GetFocus() == handle_; }
    // Gives the control the keyboard focus: now if its form is the active
    // window, else when the form is next activated, so that no other
    // program loses the keyboard to it.
    void SetFocus() { form_.FocusControl(handle_); }

protected:
    struct Window {
        const char* className;
        DWORD style;
        DWORD exStyle = 0;
        std::string text;
        Bounds bounds;
        const std::optional<FontSpec>& font;
    };
    Control(Parent parent, const Window& window);

    const Font& TextFont() const { return font_ ? *font_ : form_.FormFont(); }
    // The form's background, for controls that paint themselves.
    void FillBackground(HDC dc, const RECT& rect) const;

private:
    friend class Form;
    virtual void Command(WORD /*notification*/) {}
    virtual LRESULT DrawItem(const DRAWITEMSTRUCT&) { return FALSE; }

    Form& form_;
    std::optional<Font> font_;
    HWND handle_ = nullptr;
};

struct GroupBoxArgs {
    std::string caption;  // & marks the access key
    Bounds bounds;
    std::optional<FontSpec> font;
};

class GroupBox : public Control {
public:
    GroupBox(Parent parent, const GroupBoxArgs& args);
    const Bounds& PlaceInForm() const { return place_; }

private:
    Bounds place_;
};

struct LabelArgs {
    std::string caption;     // & marks the access key and is not shown
    Bounds bounds;
    bool autoSize = false;   // sizes itself to its text (the height only, when it wraps)
    bool wordWrap = false;   // otherwise one line, cut off at the right edge
    bool centred = false;
    std::optional<FontSpec> font;
};

class Label : public Control {
public:
    Label(Parent parent, const LabelArgs& args);
    void SetText(const std::string& text) override;

private:
    UINT DrawFlags() const;
    void FitToText();
    LRESULT DrawItem(const DRAWITEMSTRUCT& item) override;

    bool autoSize_;
    bool wordWrap_;
    bool centred_;
};

struct EditArgs {
    std::string text;
    Bounds bounds;
    std::optional<FontSpec> font;
};

// A one-line edit box.
class Edit : public Control {
public:
    Edit(Parent parent, const EditArgs& args);
};

struct CheckBoxArgs {
    std::string caption;
    Bounds bounds;
    bool checked = false;
    std::optional<FontSpec> font;
};

class CheckBox : public Control {
public:
    CheckBox(Parent parent, const CheckBoxArgs& args);
    bool Checked() const;
    void SetChecked(bool checked);
};

enum class ButtonRole {
    Normal,
    Default,  // Enter presses it, unless another push button has the focus
    Cancel,   // Escape presses it
};

struct ButtonArgs {
    std::string caption;
    Bounds bounds;
    ButtonRole role = ButtonRole::Normal;
    bool enabled = true;
    std::function<void()> onClick;
    std::optional<FontSpec> font;
};

class Button : public Control {
public:
    Button(Parent parent, const ButtonArgs& args);
    // Runs the click handler if the button is enabled.
    void Click();
    std::function<void()> OnClick;

private:
    void Command(WORD notification) override;
};

struct ProgressBarArgs {
    Bounds bounds;
    int minimum = 0;
    int maximum = 100;
    int position = 0;
};

class ProgressBar : public Control {
public:
    ProgressBar(Parent parent, const ProgressBarArgs& args);
    int Position() const;
    void SetPosition(int position);
    void SetRange(int minimum, int maximum);
};

struct PictureArgs {
    Bounds bounds;
    bool autoSize = true;                       // takes the bitmap's size
    std::optional<COLORREF> transparentColour;  // pixels of this colour show the background
};

class Picture : public Control {
public:
    Picture(Parent parent, const PictureArgs& args);
    void SetBitmap(win::GdiObject bitmap);

private:
    LRESULT DrawItem(const DRAWITEMSTRUCT& item) override;

    bool autoSize_;
    std::optional<COLORREF> transparentColour_;
    win::GdiObject bitmap_;
};

// Draws `bitmap` at (x, y), leaving the pixels of `transparent` colour
// untouched.  Plain BitBlt with a mask, so no msimg32.dll is needed.
void DrawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF transparent);

struct TimerArgs {
    unsigned interval = 1000;  // milliseconds
    bool enabled = true;
    std::function<void()> onTimer;
};

// A timer of a form; its ticks arrive through the form's message queue.
class Timer {
public:
    Timer(Form& form, const TimerArgs& args);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::function<void()> OnTimer;

private:
    friend class Form;
    void Tick();

    Form& form_;
    UINT_PTR id_;
    unsigned interval_;
    bool enabled_ = false;
};

}  // namespace ui

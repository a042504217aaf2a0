#include "ui/controls.h"

#include <commctrl.h>

#include "ui/dpi.h"
#include "win/handle.h"

namespace ui {

// ---- Parent and Control ---------------------------------------------------

Parent::Parent(GroupBox& groupBox)
    : form_(groupBox.Owner()), left_(groupBox.PlaceInForm().left), top_(groupBox.PlaceInForm().top) {}

Bounds Parent::Place(const Bounds& bounds) const {
    return Bounds{left_ + bounds.left, top_ + bounds.top, bounds.width, bounds.height};
}

Control::Control(Parent parent, const Window& window) : form_(parent.form()) {
    if (window.font) font_.emplace(*window.font);
    const Bounds place = parent.Place(window.bounds);
    const int id = form_.AddControl(this);
    handle_ = ::CreateWindowExA(window.exStyle, window.className, window.text.c_str(),
                                WS_CHILD | WS_VISIBLE | window.style, Scale(place.left), Scale(place.top),
                                Scale(place.width), Scale(place.height), form_.Handle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                nullptr);
    ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(TextFont().get()), FALSE);
    // New children go to the bottom of the z-order; group boxes stay under
    // the controls drawn on them (their tab order does not matter: they take
    // no focus).
    for (Control* control : form_.controls_)
        if (dynamic_cast<GroupBox*>(control) && control != this)
            ::SetWindowPos(control->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

Control::~Control() { form_.RemoveControl(this); }

std::string Control::Text() const {
    const int length = ::GetWindowTextLengthA(handle_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(handle_, text.data(), length + 1)));
    return text;
}

void Control::SetText(const std::string& text) { ::SetWindowTextA(handle_, text.c_str()); }

bool Control::Enabled() const { return ::IsWindowEnabled(handle_) != FALSE; }

void Control::SetEnabled(bool enabled) {
    const bool hadFocus = !enabled && Focused();
    ::EnableWindow(handle_, enabled);
    // Windows gives the focus of a control it disables to nobody, and keys
    // then reach no window of the form: pass it to the next control, or to
    // the form itself, which still answers Enter and Escape.  (Moving it
    // before disabling would not do: the form hands it straight back to the
    // control, still enabled at that moment.)
    if (hadFocus) {
        HWND next = ::GetNextDlgTabItem(form_.Handle(), handle_, FALSE);
        form_.FocusControl(next && next != handle_ && ::IsWindowEnabled(next) ? next : nullptr);
    }
}

bool Control::Visible() const { return ::IsWindowVisible(handle_) != FALSE; }

void Control::SetVisible(bool visible) { ::ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE); }

void Control::FillBackground(HDC dc, const RECT& rect) const {
    ::FillRect(dc, &rect, ::GetSysColorBrush(form_.Colour()));
}

// ---- GroupBox -------------------------------------------------------------

GroupBox::GroupBox(Parent parent, const GroupBoxArgs& args)
    : Control(parent, {"Button", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, args.caption, args.bounds, args.font}),
      place_(parent.Place(args.bounds)) {}

// ---- Label ----------------------------------------------------------------

Label::Label(Parent parent, const LabelArgs& args)
    : Control(parent, {"Static", SS_OWNERDRAW, 0, args.caption, args.bounds, args.font}),
      autoSize_(args.autoSize),
      wordWrap_(args.wordWrap),
      centred_(args.centred) {
    FitToText();
}

UINT Label::DrawFlags() const {
    UINT flags = DT_EXPANDTABS | (centred_ ? DT_CENTER : DT_LEFT);
    flags |= wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    return flags;
}

void Label::SetText(const std::string& text) {
    Control::SetText(text);
    FitToText();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::FitToText() {
    if (!autoSize_) return;
    RECT rect;
    ::GetClientRect(Handle(), &rect);
    if (!wordWrap_) rect.right = 0;
    {
        const win::WindowDc dc(Handle());
        ScopedSelect font(dc.get(), TextFont().get());
        const std::string text = Text();
        ::DrawTextA(dc.get(), text.empty() ? " " : text.c_str(), -1, &rect, DrawFlags() | DT_CALCRECT);
    }
    ::SetWindowPos(Handle(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Label::DrawItem(const DRAWITEMSTRUCT& item) {
    FillBackground(item.hDC, item.rcItem);
    ScopedSelect font(item.hDC, TextFont().get());
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    RECT rect = item.rcItem;
    const std::string text = Text();
    ::DrawTextA(item.hDC, text.c_str(), -1, &rect, DrawFlags());
    return TRUE;
}

// ---- Edit, CheckBox, Button, ProgressBar ----------------------------------

Edit::Edit(Parent parent, const EditArgs& args)
    : Control(parent, {"Edit", ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP, WS_EX_CLIENTEDGE, args.text, args.bounds,
                       args.font}) {}

CheckBox::CheckBox(Parent parent, const CheckBoxArgs& args)
    : Control(parent, {"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0, args.caption, args.bounds, args.font}) {
    SetChecked(args.checked);
}

bool CheckBox::Checked() const { return ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
    ::SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

Button::Button(Parent parent, const ButtonArgs& args)
    : Control(parent, {"Button", DWORD(args.role == ButtonRole::Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP,
                       0, args.caption, args.bounds, args.font}),
      OnClick(args.onClick) {
    if (args.role == ButtonRole::Default) Owner().defaultButton_ = this;
    if (args.role == ButtonRole::Cancel) Owner().cancelButton_ = this;
    SetEnabled(args.enabled);
}

void Button::Click() {
    if (Enabled() && OnClick) OnClick();
}

void Button::Command(WORD notification) {
    if (notification == BN_CLICKED) Click();
}

ProgressBar::ProgressBar(Parent parent, const ProgressBarArgs& args)
    : Control(parent, {PROGRESS_CLASSA, 0, 0, "", args.bounds, std::nullopt}) {
    SetRange(args.minimum, args.maximum);
    SetPosition(args.position);
}

void ProgressBar::SetRange(int minimum, int maximum) {
    ::SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

int ProgressBar::Position() const { return static_cast<int>(::SendMessageA(Handle(), PBM_GETPOS, 0, 0)); }

void ProgressBar::SetPosition(int position) { ::SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0); }

// ---- Picture --------------------------------------------------------------

void DrawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap, COLORREF transparent) {
    BITMAP info;
    if (!::GetObjectA(bitmap, sizeof info, &info)) return;
    const int width = info.bmWidth, height = info.bmHeight;

    win::MemoryDc image(::CreateCompatibleDC(dc));
    ScopedSelect imageBitmap(image.get(), bitmap);
    // The mask is white where the picture is transparent, black elsewhere.
    win::GdiObject maskBitmap(::CreateBitmap(width, height, 1, 1, nullptr));
    win::MemoryDc mask(::CreateCompatibleDC(dc));
    ScopedSelect maskSelection(mask.get(), maskBitmap.get());
    ::SetBkColor(image.get(), transparent);
    ::BitBlt(mask.get(), 0, 0, width, height, image.get(), 0, 0, SRCCOPY);

    // screen ^ image, then keep it only where transparent, then ^ image again:
    // transparent pixels get the screen back, the others the image.
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    ::BitBlt(dc, x, y, width, height, image.get(), 0, 0, SRCINVERT);
    ::BitBlt(dc, x, y, width, height, mask.get(), 0, 0, SRCAND);
    ::BitBlt(dc, x, y, width, height, image.get(), 0, 0, SRCINVERT);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
}

Picture::Picture(Parent parent, const PictureArgs& args)
    : Control(parent, {"Static", SS_OWNERDRAW, 0, "", args.bounds, std::nullopt}),
      autoSize_(args.autoSize),
      transparentColour_(args.transparentColour) {}

void Picture::SetBitmap(win::GdiObject bitmap) {
    bitmap_ = std::move(bitmap);
    BITMAP info;
    if (autoSize_ && bitmap_ && ::GetObjectA(bitmap_.get(), sizeof info, &info))
        ::SetWindowPos(Handle(), nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT Picture::DrawItem(const DRAWITEMSTRUCT& item) {
    FillBackground(item.hDC, item.rcItem);
    if (!bitmap_) return TRUE;
    const auto bitmap = static_cast<HBITMAP>(bitmap_.get());
    if (transparentColour_) {
        DrawTransparentBitmap(item.hDC, item.rcItem.left, item.rcItem.top, bitmap, *transparentColour_);
    } else {
        win::MemoryDc image(::CreateCompatibleDC(item.hDC));
        ScopedSelect selection(image.get(), bitmap);
        ::BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right - item.rcItem.left,
                 item.rcItem.bottom - item.rcItem.top, image.get(), 0, 0, SRCCOPY);
    }
    return TRUE;
}

// ---- Timer ----------------------------------------------------------------

Timer::Timer(Form& form, const TimerArgs& args)
    : OnTimer(args.onTimer), form_(form), id_(static_cast<UINT_PTR>(form.AddTimer(this))), interval_(args.interval) {
    SetEnabled(args.enabled);
}

Timer::~Timer() {
    SetEnabled(false);
    form_.RemoveTimer(this);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (!form_.Handle()) return;
    if (enabled)
        ::SetTimer(form_.Handle(), id_, interval_, nullptr);
    else
        ::KillTimer(form_.Handle(), id_);
}

void Timer::Tick() {
    if (enabled_ && OnTimer) OnTimer();
}

}  // namespace ui

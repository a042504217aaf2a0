#include "ui/form.h"

#include <algorithm>

#include "core/background.h"
#include "core/errors.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dpi.h"

namespace ui {

namespace {

constexpr int kFirstControlId = 100;  // clear of IDOK, IDCANCEL and the other dialog ids

// What the general error handler shows when Windows refuses a form its
// window (out of resources, most often): a form without one would only fail
// later, and less clearly.
constexpr const char* kWindowNotCreated = "Erreur lors de la création de la fenêtre";

DWORD StyleOf(FormBorder border) {
    return border == FormBorder::Sizeable ? WS_OVERLAPPEDWINDOW : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
}

// BeginPaint and EndPaint, also when a paint handler throws.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};

void HandleCurrentException() {
    if (Application* application = Application::Current()) application->HandleException(std::current_exception());
}

}  // namespace

void Form::RegisterClassOnce(const char* className, int colour) {
    WNDCLASSA existing;
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (::GetClassInfoA(instance, className, &existing)) return;
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(colour + 1));
    windowClass.lpszClassName = className;
    ::RegisterClassA(&windowClass);
}

Form::Form(const FormArgs& args)
    : font_(args.font), colour_(args.colour), centreOnDesktop_(args.centreOnDesktop), maximized_(args.maximized) {
    RegisterClassOnce(args.className, args.colour);
    const DWORD style = StyleOf(args.border);
    int width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    if (args.clientWidth > 0 && args.clientHeight > 0) {
        RECT rect{0, 0, Scale(args.clientWidth), Scale(args.clientHeight)};
        ::AdjustWindowRectEx(&rect, style, FALSE, 0);
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    // WM_NCCREATE binds handle_; a window that could not be made leaves it null.
    ::CreateWindowExA(0, args.className, args.caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                      nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
    if (!handle_) throw core::Error(kWindowNotCreated);
    if (Application* application = Application::Current(); application && !application->MainForm())
        application->SetMainForm(this);
}

Form::~Form() {
    if (Application* application = Application::Current(); application && application->MainForm() == this)
        application->SetMainForm(nullptr);
    if (handle_) {
        // The derived part is gone: destroy the window without events.
        ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        ::DestroyWindow(handle_);
    }
}

void Form::Created() {
    try {
        FormCreate();
    } catch (...) {
        HandleCurrentException();
    }
}

void Form::Showing() {
    try {
        FormShow();
    } catch (...) {
        HandleCurrentException();
    }
}

void Form::DestroyHandle() {
    if (handle_) ::DestroyWindow(handle_);
}

std::string Form::Caption() const {
    const int length = ::GetWindowTextLengthA(handle_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(handle_, text.data(), length + 1)));
    return text;
}

void Form::SetCaption(const std::string& caption) { ::SetWindowTextA(handle_, caption.c_str()); }

bool Form::Visible() const { return ::IsWindowVisible(handle_) != FALSE; }

void Form::PlaceForFirstShow() {
    if (!centreOnDesktop_) return;
    RECT rect;
    ::GetWindowRect(handle_, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    ::SetWindowPos(handle_, nullptr, core::CentredOffset(::GetSystemMetrics(SM_CXSCREEN), width),
                   core::CentredOffset(::GetSystemMetrics(SM_CYSCREEN), height), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
    if (!Visible()) {
        const bool first = !shownBefore_;
        shownBefore_ = true;
        if (first) PlaceForFirstShow();
        // Here rather than at WM_SHOWWINDOW, which a window shown maximized
        // never receives.
        Showing();
        ::ShowWindow(handle_, first && maximized_ ? SW_SHOWMAXIMIZED : SW_SHOW);
        // The system may replace the first show command of a process with
        // the launcher's (STARTUPINFO): a form that starts maximized insists.
        if (first && maximized_ && !::IsZoomed(handle_)) ::ShowWindow(handle_, SW_SHOWMAXIMIZED);
    }
    ::SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form::Hide() { ::ShowWindow(handle_, SW_HIDE); }

void Form::Close() { ::SendMessageA(handle_, WM_CLOSE, 0, 0); }

int Form::AddControl(Control* control) {
    controls_.push_back(control);
    return kFirstControlId + static_cast<int>(controls_.size()) - 1;
}

void Form::RemoveControl(Control* control) {
    std::replace(controls_.begin(), controls_.end(), control, static_cast<Control*>(nullptr));
    if (defaultButton_ == control) defaultButton_ = nullptr;
    if (cancelButton_ == control) cancelButton_ = nullptr;
}

Control* Form::ControlById(int id) const {
    const int index = id - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(controls_.size())) return nullptr;
    return controls_[static_cast<size_t>(index)];
}

int Form::AddTimer(Timer* timer) {
    timers_.push_back(timer);
    return static_cast<int>(timers_.size());
}

void Form::RemoveTimer(Timer* timer) { std::replace(timers_.begin(), timers_.end(), timer, static_cast<Timer*>(nullptr)); }

// The first enabled, visible control that takes the Tab key, in tab order.
HWND Form::FirstTabStop() const {
    for (HWND child = ::GetWindow(handle_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)) return child;
    }
    return nullptr;
}

void Form::RestoreFocus() {
    HWND target = lastFocus_ && ::IsChild(handle_, lastFocus_) && ::IsWindowEnabled(lastFocus_) ? lastFocus_
                                                                                                 : FirstTabStop();
    ::SetFocus(target ? target : handle_);
}

void Form::FocusControl(HWND control) {
    if (::GetActiveWindow() == handle_)
        ::SetFocus(control ? control : handle_);
    else
        lastFocus_ = control;
}

void Form::OnActivate(bool active) {
    if (active) {
        RestoreFocus();
    } else if (HWND focus = ::GetFocus(); focus && ::IsChild(handle_, focus)) {
        lastFocus_ = focus;
    }
}

// Enter presses the push button that has the focus, else the default button.
LRESULT Form::DefaultButtonId() const {
    if (HWND focus = ::GetFocus(); focus && ::GetParent(focus) == handle_) {
        if (::SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))
            return MAKELRESULT(::GetDlgCtrlID(focus), DC_HASDEFID);
    }
    if (defaultButton_) return MAKELRESULT(::GetDlgCtrlID(defaultButton_->Handle()), DC_HASDEFID);
    return 0;
}

void Form::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (Control* control = ControlById(id); control && lParam) {
        control->Command(HIWORD(wParam));
    } else if (id == IDCANCEL && cancelButton_) {
        cancelButton_->Click();  // Escape
    } else if (id == IDOK && defaultButton_) {
        defaultButton_->Click();
    }
}

void Form::OnPaint() {
    PaintScope paint(handle_);
    ScopedSelect font(paint.dc(), font_.get());
    FormPaint(paint.dc());
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_CLOSE: {
        bool canClose = true;
        FormCloseQuery(canClose);
        if (canClose) {
            Application* application = Application::Current();
            if (application && application->MainForm() == this)
                application->Terminate();
            else
                Hide();
        }
        return 0;
    }
    case WM_DESTROY:
        FormDestroy();
        return 0;
    case WM_ACTIVATE:
        if (!HIWORD(wParam)) {  // not minimized
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        }
        break;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case DM_GETDEFID:
        return DefaultButtonId();
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return 0;
    case WM_DRAWITEM:
        if (Control* control = ControlById(static_cast<int>(wParam)))
            return control->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_TIMER:
        if (wParam >= 1 && wParam <= timers_.size())
            if (Timer* timer = timers_[wParam - 1]) timer->Tick();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetBkColor(dc, ::GetSysColor(colour_));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(colour_));
    }
    }
    return ::DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Form* form;
    if (message == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->handle_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    } else {
        form = reinterpret_cast<Form*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!form) return ::DefWindowProcA(window, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form->handle_ = nullptr;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        HandleCurrentException();
        return 0;
    }
}

}  // namespace ui

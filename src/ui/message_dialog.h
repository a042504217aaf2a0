#pragma once
// Modal message boxes, centred on the screen, in French, with our own button
// captions whatever the language of Windows.

#include <functional>
#include <string>
#include <vector>

namespace ui {

enum class DialogKind { Error, Warning, Information, Confirmation };

enum class DialogButtons {
    Ok,      // "OK"
    Cancel,  // one button, "Annuler": every error box of the installer
    YesNo,   // "&Oui" (default) and "&Non" (Escape)
    NoYes,   // the same with "&Non" the default: a question whose safe answer is no
};

enum class DialogResult { Ok, Cancel, Yes, No };

struct DialogRequest {
    DialogKind kind;
    std::string title;
    std::string text;  // lines separated by a single carriage return
    DialogButtons buttons;
};

// The fixed title of each kind: "Erreur", "Avertissement", "Information",
// "Confirmation".
const char* DialogTitle(DialogKind kind);

// Shows the box and waits until it is closed.  Closing it by its close box or
// by Escape answers "Annuler", "&Non" or "OK" as the buttons allow.
DialogResult ShowDialog(const DialogRequest& request);
DialogResult ShowDialog(DialogKind kind, const std::string& text, DialogButtons buttons);

// The installer's error box: "Erreur", error icon, a single "Annuler".
void ShowErrorBox(const std::string& text);

// Replaces the real box for its lifetime: each request is recorded and
// answered by `answer`, or without one as closing the box answers.  Tests
// record the boxes this way; the installer's silent modes keep them from
// waiting for a person.
class ScopedDialogCapture {
public:
    explicit ScopedDialogCapture(std::function<DialogResult(const DialogRequest&)> answer = {});
    ~ScopedDialogCapture();
    ScopedDialogCapture(const ScopedDialogCapture&) = delete;
    ScopedDialogCapture& operator=(const ScopedDialogCapture&) = delete;

    const std::vector<DialogRequest>& Requests() const { return requests_; }

private:
    friend DialogResult ShowDialog(const DialogRequest& request);
    std::function<DialogResult(const DialogRequest&)> answer_;
    std::vector<DialogRequest> requests_;
    ScopedDialogCapture* previous_;
};

// Sees every box before it is shown or answered, for its lifetime: the
// installer's journal records the errors this way.
class ScopedDialogObserver {
public:
    explicit ScopedDialogObserver(std::function<void(const DialogRequest&)> observe);
    ~ScopedDialogObserver();
    ScopedDialogObserver(const ScopedDialogObserver&) = delete;
    ScopedDialogObserver& operator=(const ScopedDialogObserver&) = delete;

private:
    friend DialogResult ShowDialog(const DialogRequest& request);
    std::function<void(const DialogRequest&)> observe_;
    ScopedDialogObserver* previous_;
};

}  // namespace ui

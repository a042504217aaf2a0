#pragma once
// What the four wizard pages share: a fixed window 458 pixels wide, centred on
// the desktop when first shown, in Arial 8 points on the button face colour,
// titled "Installation de " + AppName, that refuses to close, with its row of
// three buttons under the group box.

#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls.h"
#include "ui/form.h"

class TPage : public ui::Form {
public:
    // 209 pixels high for the welcome page, 210 for the others.
    TPage(const char* className, int clientHeight, BYTE charset = DEFAULT_CHARSET);

protected:
    // Sets the caption; a page's own FormCreate calls it first.
    void FormCreate() override;
    // A page's close box, system menu Close and Alt+F4 do nothing.
    void FormCloseQuery(bool& canClose) override { canClose = false; }

    // The row of buttons: "Précédent", the forward button (the default
    // button) and "Annuler" (the cancel button).  Tab order is creation
    // order: declare the group box, then the forward button, "Précédent" and
    // "Annuler".
    static ui::ButtonArgs PreviousButton(std::function<void()> onClick, bool enabled = true);
    static ui::ButtonArgs ForwardButton(const std::string& caption, std::function<void()> onClick,
                                        bool enabled = true);
    static ui::ButtonArgs CancelButton(std::function<void()> onClick);
};

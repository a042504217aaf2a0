#include "SetupFrm/Page.h"

#include <utility>

#include "Variable/Variable.h"

TPage::TPage(const char* className, int clientHeight, BYTE charset)
    : ui::Form({.className = className,
                .clientWidth = 458,
                .clientHeight = clientHeight,
                .border = ui::FormBorder::Single,
                .centreOnDesktop = true,
                .colour = COLOR_BTNFACE,
                .font = {.name = "Arial", .height = 11, .style = ui::Regular, .charset = charset}}) {}

void TPage::FormCreate() { SetCaption("Installation de " + Installer.AppName); }

ui::ButtonArgs TPage::PreviousButton(std::function<void()> onClick, bool enabled) {
    return {.caption = "Précédent", .bounds = {212, 176, 73, 21}, .enabled = enabled, .onClick = std::move(onClick)};
}

ui::ButtonArgs TPage::ForwardButton(const std::string& caption, std::function<void()> onClick, bool enabled) {
    return {.caption = caption,
            .bounds = {292, 176, 75, 21},
            .role = ui::ButtonRole::Default,
            .enabled = enabled,
            .onClick = std::move(onClick)};
}

ui::ButtonArgs TPage::CancelButton(std::function<void()> onClick) {
    return {.caption = "Annuler", .bounds = {372, 176, 73, 21}, .role = ui::ButtonRole::Cancel, .onClick = std::move(onClick)};
}

#pragma once
// The launching commands' questions to the user that tests answer themselves:
// which program to use (the frame's file dialog) and whether Shift is held.

#include <QString>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace arbel::ui {

struct LaunchHooks {
    // Shows the file dialog titled `title` offering programs and Desktop Entry
    // files; the chosen full name, or nothing when cancelled. Empty: the dialog.
    std::function<std::optional<std::string>(QWidget* parent, const QString& title)> locateProgram;
    // Whether Shift is held now. Empty: the keyboard's state.
    std::function<bool()> shiftHeld;
};
LaunchHooks& launchHooks();

// The file dialog (or its hook): "Locate Your Editor Program" and the like.
std::optional<std::string> locateProgram(QWidget* parent, const QString& title);
bool launchShiftHeld();

}  // namespace arbel::ui

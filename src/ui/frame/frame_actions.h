#pragma once
// The frame's commands as one table: every menu item of the menu bar with its
// caption, shortcut and handler, built once. Command routing enables, disables,
// shows and hides items through action(id); nothing else creates menu items.

#include <QAction>
#include <QHash>
#include <QMenu>
#include <array>

#include "core/commands/command_id.h"

namespace arbel::ui {

class Tmdimain;

// The frame's actions are indexed by the command id itself.
using FrameAction = commands::Command;

enum class FrameMenu { File, Volume, Open, View, Options, Window, Help, Count_ };

class FrameActions {
public:
    // Builds every menu of the menu bar of the frame and connects the handlers.
    explicit FrameActions(Tmdimain& frame);

    QAction* action(FrameAction id) const { return actions_[static_cast<int>(id)]; }
    QMenu* menu(FrameMenu id) const { return menus_[static_cast<int>(id)]; }
    // Submenus: "C&hange Case", "&Display", "S&ort by", "&Save to File".
    QMenu* changeCaseMenu() const { return changeCase_; }
    QMenu* displayMenu() const { return display_; }
    QMenu* sortMenu() const { return sort_; }
    QMenu* saveToFileMenu() const { return saveToFile_; }
    // The separator after which the Window menu lists the child windows.
    QAction* windowListStart() const { return windowListStart_; }
    // The separator before the frame's own "Save Settings"/"Restore Default".
    QAction* windowListEnd() const { return windowListEnd_; }

private:
    std::array<QAction*, static_cast<int>(FrameAction::Count_)> actions_{};
    std::array<QMenu*, static_cast<int>(FrameMenu::Count_)> menus_{};
    QMenu* changeCase_ = nullptr;
    QMenu* display_ = nullptr;
    QMenu* sort_ = nullptr;
    QMenu* saveToFile_ = nullptr;
    QAction* windowListStart_ = nullptr;
    QAction* windowListEnd_ = nullptr;
};

}  // namespace arbel::ui

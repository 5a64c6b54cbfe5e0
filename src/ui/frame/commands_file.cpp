// File menu commands and their tool-bar buttons. Each handler checks its gate
// (core/commands/gates.h) against a snapshot of the state and refuses silently;
// the dialogs are created here, each at the one line marked "opens ...".
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>

#include "core/app/file_system.h"
#include "core/commands/menus.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/launch/runform.h"
#include "ui/lists/file_window.h"
#include "ui/ops/attrib.h"
#include "ui/ops/copier.h"
#include "ui/ops/deleter.h"
#include "ui/ops/newdir.h"
#include "ui/ops/properties_window.h"
#include "ui/ops/renamer.h"
#include "ui/ops/undo_journal.h"
#include "ui/search/findform.h"
#include "ui/shortcuts/assoc.h"
#include "ui/shortcuts/shortcut_properties.h"
#include "ui/shortcuts/shortcutform.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

using commands::Command;
using commands::gateOpen;

namespace {

bool shiftHeld() {
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

// The tree's folder as the rename and shortcut dialogs take it.
void takeTreeFolderAsRenameTarget(Tmdimain& frame) {
    if (frame.state().fromSearch || frame.state().activeKind != app::ActiveKind::Dir) return;
    if (Tmdisubdir* tree = treeTarget(frame)) frame.state().renameTarget = tree->selectedFolder();
}

}  // namespace

void Tmdimain::copybutClick() {
    copyItemsTo({});
}

void Tmdimain::movebutClick() {
    moveItemsTo({});
}

void Tmdimain::copyItemsTo(const std::string& target) {
    if (!gateOpen(Command::Copy, commandState(*this))) return;
    Tcopier* dialog = Tcopier::open(*this, Tcopier::Mode::Copy);
    if (!target.empty()) dialog->setTarget(target);
}

void Tmdimain::moveItemsTo(const std::string& target) {
    if (!gateOpen(Command::Move, commandState(*this))) return;
    Tcopier* dialog = Tcopier::open(*this, Tcopier::Mode::Move);
    if (!target.empty()) dialog->setTarget(target);
}

void Tmdimain::shortcutbutClick() {
    if (!gateOpen(Command::Shortcut, commandState(*this))) return;
    takeTreeFolderAsRenameTarget(*this);
    Tshortcutform::open(*this);
}

void Tmdimain::delbutClick() {
    switch (commands::routeDelete(commandState(*this))) {
        case commands::DeleteRoute::EditField:
            // A text field normally takes the key itself; forward it when it did not.
            if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) edit->del();
            break;
        case commands::DeleteRoute::OpenDeleteDialog:
            Tdel::open(*this);
            break;
        case commands::DeleteRoute::Nothing:
            break;
    }
}

void Tmdimain::renamebutClick() {
    if (!gateOpen(Command::Rename, commandState(*this))) return;
    takeTreeFolderAsRenameTarget(*this);
    Tren::open(*this);
}

void Tmdimain::Lowercase1Click() {
    renameIt(*this, commands::CaseMode::Lower);
}
void Tmdimain::Uppercase1Click() {
    renameIt(*this, commands::CaseMode::Upper);
}
void Tmdimain::SentenceCase1Click() {
    renameIt(*this, commands::CaseMode::Sentence);
}
void Tmdimain::TitleCase1Click() {
    renameIt(*this, commands::CaseMode::Title);
}

void Tmdimain::attribbutClick() {
    switch (commands::routeAttributes(commandState(*this), shiftHeld())) {
        case commands::AttributesRoute::ShowProperties:
            Properties1Click();
            break;
        case commands::AttributesRoute::OpenDialog:
            Tattrib::open(*this);
            break;
        case commands::AttributesRoute::Nothing:
            break;
    }
}

void Tmdimain::Properties1Click() {
    if (!gateOpen(Command::Properties, commandState(*this))) return;
    // One item: the file window's one selected entry, or the tree's folder.
    std::string path;
    if (state_.activeKind == app::ActiveKind::Dir) {
        if (Tmdisubdir* tree = treeTarget(*this)) path = tree->selectedFolder();
    } else if (auto* list = qobject_cast<FileWindow*>(currentOf(state_.activeKind))) {
        const std::vector<std::string> selected = list->selectedPaths();
        if (selected.size() == 1) path = selected.front();
    }
    showItemProperties(*this, path);
}

void Tmdimain::Shortcut2Click() {
    if (!gateOpen(Command::ShortcutProperties, commandState(*this))) return;
    // The one selected entry, when it is a launcher.
    auto* window = qobject_cast<FileWindow*>(currentOf(state_.activeKind));
    if (!window) return;
    const std::vector<std::string> paths = window->selectedPaths();
    if (paths.size() == 1) ShortcutProperties::open(this, paths.front());
}

void Tmdimain::newdirClick() {
    if (!gateOpen(Command::NewFolder, commandState(*this))) return;
    Tnewd::open(*this);
}

void Tmdimain::findbutClick() {
    // Search: opens the search window, or brings the open one forward.
    if (state_.dialogBusy()) return;
    Tfindform::open(*this);
}

void Tmdimain::Run1Click() {
    if (!gateOpen(Command::Run, commandState(*this))) return;
    Trunform::open(*this);
}

void Tmdimain::Associate1Click() {
    if (!gateOpen(Command::Associate, commandState(*this))) return;
    Tassoc::open(*this);
}

// Menu opening: enabling of the File menu's items.
void Tmdimain::File1Click() {
    const commands::FileMenuState m = commands::fileMenuState(commandState(*this));
    FrameActions& a = actions();
    a.action(FrameAction::Copy)->setEnabled(m.copy);
    a.action(FrameAction::Move)->setEnabled(m.move);
    a.action(FrameAction::Shortcut)->setEnabled(m.shortcut);
    a.action(FrameAction::Delete)->setEnabled(m.del);
    a.action(FrameAction::Rename)->setEnabled(m.rename);
    a.action(FrameAction::ChangeCaseMenu)->setEnabled(m.changeCase);
    a.action(FrameAction::ChangeAttributes)->setEnabled(m.attributes);
    a.action(FrameAction::ShortcutProperties)->setVisible(m.shortcutPropertiesVisible);
    a.action(FrameAction::Undo)->setText(undoMenuText(*this));
    a.action(FrameAction::Undo)->setEnabled(commands::gateOpen(Command::Undo, commandState(*this)));
}

// Right-button alternates (findbutRightClick, editbutRightClick: commands_launch.cpp).
void Tmdimain::attribbutRightClick() {
    Properties1Click();
}

// Jumps to the folder of the user's application entries (the Start Menu of old).
void Tmdimain::SpeedButton2RightClick() {
    if (!treeTarget(*this)) return;
    const std::string data = dataHome();
    if (data.empty()) return;
    FrozenUpdates frozen(clientArea());
    // The auto-folder window follows the tree's selection.
    treeSelectFolder(*this, data + "/applications");
}

}  // namespace arbel::ui

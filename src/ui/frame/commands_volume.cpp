// Volume menu commands: copy diskette, label, format, network locations.
#include <QMenu>

#include "core/app/file_system.h"
#include "core/commands/menus.h"
#include "ui/app/message_box.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/ops/renamer.h"
#include "ui/tree/mdisubdir.h"
#include "ui/volumes/format_disk.h"
#include "ui/volumes/network_dialogs.h"

namespace arbel::ui {

using commands::Command;
using commands::gateOpen;

// The volume of the tree's selection, when the tree offers one (its mount point selected).
static std::string selectedVolumeRoot(const Tmdimain& frame) {
    Tmdisubdir* tree = Tmdisubdir::of(frame);
    if (!tree || !tree->DirTree1().selected()) return {};
    const Volume* v = tree->DirTree1().volumeOfNode(tree->DirTree1().selected());
    return v ? v->mountPoint : std::string();
}

void Tmdimain::LabelDisk1Click() {
    if (!gateOpen(Command::LabelDisk, commandState(*this))) return;
    Tren::openVolumeLabel(*this, selectedVolumeRoot(*this));
}

void Tmdimain::formatdiskbutClick() {
    if (!gateOpen(Command::FormatDisk, commandState(*this))) return;
    const std::string root = selectedVolumeRoot(*this);
    if (root.empty() || !isFolder(root)) {
        showMessage(this, QStringLiteral("That drive appears to be invalid."));
        return;
    }
    startFormatDisk(*this, root);
}

// Sharing reached the sharing page by sending keystrokes to another program's
// window; that is gone, and the item stays hidden.
void Tmdimain::Sharing1Click() {}
void Tmdimain::mapnetbutClick() {
    if (!gateOpen(Command::MapNetworkDrive, commandState(*this))) return;
    if (const std::string problem = networkServiceProblem(); !problem.empty()) {
        showMessage(this, QString::fromStdString(problem));
        return;
    }
    Tnetconnect::open(*this);
}

void Tmdimain::unmapnetbutClick() {
    if (!gateOpen(Command::DisconnectNetworkDrive, commandState(*this))) return;
    if (const std::string problem = networkServiceProblem(); !problem.empty()) {
        showMessage(this, QString::fromStdString(problem));
        return;
    }
    Tnetdisconnect::open(*this);
}

// Menu opening: enabling of the Volume menu's items.
void Tmdimain::Volume1Click() {
    const commands::CommandState s = commandState(*this);
    bool oneFolder = false;
    if (FileWindow* w = activeFileWindow(*this)) {
        const std::vector<std::string> paths = w->selectedPaths();
        oneFolder = paths.size() == 1 && commandQueries().isFolder(paths.front());
    }
    const commands::VolumeMenuState m = commands::volumeMenuState(s, oneFolder, networkServiceProblem());
    actions().action(FrameAction::LabelDisk)->setEnabled(m.labelDisk);
    actions().action(FrameAction::FormatDisk)->setEnabled(m.formatDisk);
    actions().action(FrameAction::Sharing)->setEnabled(m.sharingEnabled);
    for (FrameAction a : {FrameAction::MapNetworkDrive, FrameAction::DisconnectNetworkDrive}) {
        actions().action(a)->setEnabled(m.network);
        actions().action(a)->setToolTip(QString::fromStdString(m.networkReason));
    }
    if (QMenu* menu = actions().menu(FrameMenu::Volume)) menu->setToolTipsVisible(true);
}

}  // namespace arbel::ui

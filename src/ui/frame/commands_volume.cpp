// Volume menu commands: copy diskette, label, format, network locations.
#include "core/commands/menus.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"

namespace arbel::ui {

void Tmdimain::copydiskbutClick() {}
void Tmdimain::LabelDisk1Click() {}
void Tmdimain::formatdiskbutClick() {}
void Tmdimain::Sharing1Click() {}
void Tmdimain::mapnetbutClick() {}
void Tmdimain::unmapnetbutClick() {}

// Menu opening: enabling of the Volume menu's items.
void Tmdimain::Volume1Click() {
    const commands::CommandState s = commandState(*this);
    bool oneFolder = false;
    if (FileWindow* w = activeFileWindow(*this)) {
        const std::vector<std::string> paths = w->selectedPaths();
        oneFolder = paths.size() == 1 && commandQueries().isFolder(paths.front());
    }
    const commands::VolumeMenuState m = commands::volumeMenuState(s, oneFolder);
    actions().action(FrameAction::LabelDisk)->setEnabled(m.labelDisk);
    actions().action(FrameAction::FormatDisk)->setEnabled(m.formatDisk);
    actions().action(FrameAction::Sharing)->setEnabled(m.sharingEnabled);
}

// Right-button alternate: locate the disk-copy program.
void Tmdimain::copydiskbutRightClick() {}

}  // namespace arbel::ui

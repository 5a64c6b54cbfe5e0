#include "core/commands/menus.h"

#include "core/commands/gates.h"

namespace arbel::commands {

namespace {

void setSeven(FileMenuState& m, bool on) {
    m.copy = m.move = m.shortcut = m.del = m.rename = m.changeCase = m.attributes = on;
}

}  // namespace

FileMenuState fileMenuState(const CommandState& s) {
    FileMenuState m;
    if (s.fromSearch) {
        if (s.searchSelected == 0) {
            setSeven(m, false);
        } else {
            setSeven(m, true);
            m.rename = s.searchSelected == 1;
            m.changeCase = false;  // the search results are not one folder's list
        }
    } else if (fileWindowActive(s)) {
        setSeven(m, s.listSelected > 0);
        m.rename = s.listSelected == 1;
        m.shortcutPropertiesVisible = s.listSelected == 1 && s.singleSelectedIsDesktopEntry;
    } else if (s.activeKind == app::ActiveKind::Dir) {
        // A volume's mount point can be given a label (Rename) and a shortcut, but not
        // copied, moved, deleted or have its attributes changed.
        bool folder = s.treeHasSelection && !s.treeAtVolumeRoot;
        m.copy = m.move = m.del = m.attributes = folder;
        m.shortcut = m.rename = s.treeHasSelection;
        m.changeCase = false;
    } else {
        // The viewer, and the time before any child window was activated.
        setSeven(m, false);
    }
    // The Delete key must reach the text fields of the frame and of the dialogs.
    if (s.filterFieldFocused || s.activeDialog != app::DialogTag::None) m.del = true;
    return m;
}

OpenMenuState openMenuState(const CommandState& s) {
    OpenMenuState m;
    switch (s.activeKind) {
        case app::ActiveKind::Dir:
            m.selectedItem = m.folder = m.selectedBranch = s.treeHasSelection;
            m.fileViewer = false;
            break;
        case app::ActiveKind::Auto:
        case app::ActiveKind::List: {
            bool any = s.listSelected > 0;
            m.selectedItem = m.fileViewer = any;
            m.folder = m.selectedBranch = true;
            break;
        }
        case app::ActiveKind::Viewer:
        case app::ActiveKind::First:
        case app::ActiveKind::None:
            m.selectedItem = m.folder = m.selectedBranch = m.fileViewer = false;
            break;
    }
    if (s.filterFieldFocused) m.selectedItem = true;
    return m;
}

ViewMenuState viewMenuState(const CommandState& s) {
    ViewMenuState m;
    bool file = fileWindowActive(s);
    m.itemsEnabled = file;
    m.filesOnlyChecked = file && !s.listShowsFolders;
    if (s.activeKind == app::ActiveKind::Dir)
        m.folderSize = s.treeHasSelection;
    else
        m.folderSize = file && s.listSelected > 0;
    return m;
}

VolumeMenuState volumeMenuState(const CommandState& s, bool singleSelectedIsFolder,
                                const std::string& networkUnavailable) {
    (void)singleSelectedIsFolder;
    VolumeMenuState m;
    m.labelDisk = gateOpen(Command::LabelDisk, s);
    m.formatDisk = gateOpen(Command::FormatDisk, s);
    m.network = networkUnavailable.empty();
    m.networkReason = networkUnavailable;
    return m;
}

}  // namespace arbel::commands

#pragma once
// What the File, Open, View and Volume menus show as they open. The frame applies these
// states while a menu is open only; outside of that every action stays enabled, so that
// shortcuts always reach their handlers and the gates decide (a stale disabled state
// would otherwise swallow a shortcut).

#include <string>

#include "core/commands/command_state.h"

namespace arbel::commands {

struct FileMenuState {
    bool copy = true;
    bool move = true;
    bool shortcut = true;
    bool del = true;
    bool rename = true;
    bool changeCase = true;
    bool attributes = true;
    bool shortcutPropertiesVisible = false;
};
FileMenuState fileMenuState(const CommandState& s);

struct OpenMenuState {
    bool selectedItem = true;
    bool folder = true;
    bool selectedBranch = true;
    bool fileViewer = true;
};
OpenMenuState openMenuState(const CommandState& s);

struct ViewMenuState {
    bool itemsEnabled = true;  // every item of the View menu except Folder Size
    bool filesOnlyChecked = false;
    bool folderSize = true;
};
ViewMenuState viewMenuState(const CommandState& s);

struct VolumeMenuState {
    bool labelDisk = true;
    bool formatDisk = true;
    // Sharing went with the key sending that reached the sharing page: never offered.
    bool sharingEnabled = false;
    // Map and Disconnect Network Drive, and why not when they are off (the tooltip).
    bool network = true;
    std::string networkReason;
};
// `singleSelectedIsFolder`: the active file list has exactly one selected entry and it
// is an existing folder. `networkUnavailable`: why network locations cannot be
// mounted (no gvfs daemon answers); empty when they can.
VolumeMenuState volumeMenuState(const CommandState& s, bool singleSelectedIsFolder,
                                const std::string& networkUnavailable = {});

}  // namespace arbel::commands

#pragma once
// A snapshot of what the frame's commands decide on: which child window is active,
// which dialog is open, what is selected where. The interface fills one in each time a
// command runs or a menu opens; the rules that read it are plain functions, so every
// gate and every menu state can be checked without a screen.

#include "core/app/app_state.h"

namespace arbel::commands {

using arbel::app::ActiveKind;
using arbel::app::DialogTag;

struct CommandState {
    app::ActiveKind activeKind = ActiveKind::First;
    app::DialogTag activeDialog = DialogTag::None;

    // The search window is open: file commands take their items from its result list.
    bool fromSearch = false;
    int searchSelected = 0;  // selected rows of the search result list
    bool searchResultsFocused = false;

    // Tree window: whether a folder is selected and whether that folder is the mount
    // point of a volume (where the tree offers the volume, not a folder).
    bool treeHasSelection = false;
    bool treeAtVolumeRoot = false;

    // The file list of the active file window (the auto-folder window for Auto, the
    // current folder window for List).
    int listSelected = 0;
    // Exactly one item is selected and it is a desktop entry (".desktop"): the File
    // menu then offers "Shortcut Properties...".
    bool singleSelectedIsDesktopEntry = false;
    // The list shows folders (the "Show/Hide Folders" button is down).
    bool listShowsFolders = true;

    // The frame's filter field has the keyboard focus.
    bool filterFieldFocused = false;

    // A one-shot refresh signal is still pending (opening a folder from the tree with
    // Enter leaves one until the tree is activated again).
    bool pendingUpdate = false;

    // The undo journal holds an entry and no undo runs now.
    bool canUndo = false;
};

// The part of the snapshot the shared state already holds; the caller adds the
// selections and the focus.
inline CommandState snapshotOf(const app::AppState& app) {
    CommandState s;
    s.activeKind = app.activeKind;
    s.activeDialog = app.activeDialog;
    s.fromSearch = app.fromSearch;
    s.pendingUpdate = app.pendingUpdate != app::RefreshSignal::None;
    return s;
}

}  // namespace arbel::commands

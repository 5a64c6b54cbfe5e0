#pragma once
// What a file dialog works on, taken from the window it was opened from when it
// opens: the items, the window to re-activate and refresh, and for the delete
// question how many files and folders there are.

#include <QPointer>
#include <string>
#include <vector>

#include "core/app/app_state.h"
#include "core/ops/item_gathering.h"
#include "ui/app/child_window.h"

namespace arbel::ui {

class Tmdimain;

struct DialogSource {
    app::ActiveKind kind = app::ActiveKind::None;
    bool fromSearch = false;
    bool dropped = false;  // items handed in by a drop, not a selection
    ops::Gathered gathered;
    std::vector<ops::SearchRow> rows;  // search: the selected rows
    std::string windowFolder;          // tree: the selected folder; file windows: the folder shown
    QPointer<ChildWindow> window;      // SourceWindowHandle
    uint64_t files = 0, folders = 0;   // of the gathered items
};

// Gathers from the active window of the frame (the search results when the
// search window is the source; the drop's list after a drop).
DialogSource gatherFromFrame(Tmdimain& frame);

// Counts the items that are folders (links to folders are not) and the others.
void countKinds(DialogSource& source);

// After files changed in `folder`: the tree learns about new folders and the
// windows showing it reread.
void refreshFolder(Tmdimain& frame, const std::string& folder);

// After entries of `folder` changed in place (attributes, times, permissions):
// the "format" reload of every window showing it, each keeping its selection.
void reloadKeepingSelection(Tmdimain& frame, const std::string& folder);

}  // namespace arbel::ui

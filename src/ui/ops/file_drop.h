#pragma once
// Files dropped on a window, from Arbel's own windows or from other programs: the
// copy dialog opens on them, aimed at the folder they were dropped on.

#include <string>
#include <vector>

#include "core/dnd/drop_effect.h"

namespace arbel::ui {

class ChildWindow;
class OperationDialog;
class Tmdimain;

// Whether a drop could be taken now: no dialog but the search window is open.
bool dropsOpen(const Tmdimain& frame);

// The work of a drop, run after the drop event: brings the frame forward and
// activates `window`; refuses a folder dropped onto itself or into its own subtree
// with the message the copy would give; otherwise opens the copy dialog on `paths`
// with `folder` as its target, in move mode for a move. On a trash location the
// delete dialog opens instead, set to the trash. Link drops are refused: Arbel
// makes no links of dropped files. Gives the dialog, or null.
OperationDialog* takeDroppedFiles(Tmdimain& frame, ChildWindow* window, const std::vector<std::string>& paths,
                                  const std::string& folder, dnd::DropEffect effect);

}  // namespace arbel::ui

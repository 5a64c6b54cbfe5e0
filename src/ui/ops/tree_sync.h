#pragma once
// Keeping the folder tree and the windows in step with what a file operation did,
// without a rescan and without a second look at the disk: the job's after-effects
// (core/ops/after_effects.h) say what changed; these apply it.

#include <string>

#include "core/ops/after_effects.h"

namespace arbel::ui {

class Tmdimain;

void treeAddFolder(Tmdimain& frame, const std::string& folder);     // AddDirPath
void treeRemoveFolder(Tmdimain& frame, const std::string& folder);  // DeleteDir
void treeRenameFolder(Tmdimain& frame, const std::string& oldPath, const std::string& newName);

// Applies everything in `fx` with the client area frozen: the tree first, then the
// windows on paths that went or were renamed, then the rereads.
void applyAfterEffects(Tmdimain& frame, const ops::AfterEffects& fx);

}  // namespace arbel::ui

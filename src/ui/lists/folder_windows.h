#pragma once
// Opening the folder windows from elsewhere (the tree, the Open menu, other
// folder windows) and feeding the auto-folder window the tree's selection.
// Folders are byte strings in folder form ("/" or no trailing "/").

#include <string>
#include <vector>

namespace arbel::ui {

class ChildWindow;
class Tmdimain;

// A new folder window (Tmdisublist) showing `folder`; any number may exist.
ChildWindow* openFolderWindow(Tmdimain& frame, const std::string& folder);
// The same, with the entries of these names selected once they are read.
ChildWindow* openFolderWindow(Tmdimain& frame, const std::string& folder, std::vector<std::string> select);

// The auto-folder window (Tautodirview), created on `folder` when there is
// none; otherwise the existing one is activated (at most one exists).
ChildWindow* openAutoFolderWindow(Tmdimain& frame, const std::string& folder);

// The tree's selection settled on `folder`: the auto-folder window, when
// open, shows it (a reread whatever the signal). Does nothing without one.
void autoFolderFollow(Tmdimain& frame, const std::string& folder);

// The auto-folder window, or null.
ChildWindow* autoFolderWindow(Tmdimain& frame);

}  // namespace arbel::ui

#pragma once
// Helpers shared by the frame's command handlers (commands_*.cpp): the state
// snapshot the core gates decide on, the windows a command acts on, and the
// wiring of the view panel and the menus.

#include <string>

#include "core/commands/case_change.h"
#include "core/commands/command_state.h"
#include "core/commands/gates.h"
#include "core/lists/file_entry.h"

class QMenu;
class QWidget;

namespace arbel::ui {

class ChildWindow;
class FileWindow;
class Tfindform;
class Tmdimain;
class Tmdisubdir;

// The file window that view, sort, select and case commands act on: the
// auto-folder window when it is the active kind, otherwise the current folder
// window (which may be behind the tree).
FileWindow* commandFileWindow(const Tmdimain& frame);
// The same, but only while a file window is the active kind.
FileWindow* activeFileWindow(const Tmdimain& frame);
// The tree window, when it exists.
Tmdisubdir* treeTarget(const Tmdimain& frame);
Tfindform* searchWindow(const Tmdimain& frame);

// The snapshot of the state that the core gates and menu rules read.
commands::CommandState commandState(const Tmdimain& frame);
// The paths the open commands need (tree folder, list folder and first selected
// name, search result).
commands::OpenInputs openInputs(const Tmdimain& frame);
// File-system questions with the trash known.
commands::FileQueries commandQueries();

// Opens a folder window on the folder: QuietActivation while it is created, then
// activated; unless the start is still running, the tree selects the folder.
ChildWindow* openFolderWindowQuietly(Tmdimain& frame, const std::string& folder);
// Selects the folder in the tree window and renames a node there after a change of case.
void treeSelectFolder(Tmdimain& frame, const std::string& folder);
void treeFolderRenamed(Tmdimain& frame, const std::string& oldPath, const std::string& newName);
// Opens an item as the desktop would (or through the test hook): a program runs
// in its own folder, a Desktop Entry file starts its application, a document
// opens with its default application, "trash:///" with the trash's handler.
// A failure says what could not be started and why, in a message over `parent`.
bool openDocument(QWidget* parent, const std::string& pathOrUri);
// Runs the confirm action of an open dialog (its "confirm" slot, or accept()).
void confirmDialog(QWidget* dialog);

// Select all (files only when filesOnly) in the active file window.
void selecting(Tmdimain& frame, bool filesOnly);
// Applies the filter text of the frame's filter field to the active file window
// and records it in the history (maskboxChange).
void applyFilterBox(Tmdimain& frame);
// The filter box's entries at start, from section "Maskspecs".
void loadFilterBox(Tmdimain& frame);
// Changes the case of the selected names of the active file window.
void renameIt(Tmdimain& frame, commands::CaseMode mode);
// Sets the active file window's display style from the style button that is down.
void viewbuts(Tmdimain& frame);
// Sorts the command's file window by the key (the same key again reverses).
void sortCommand(Tmdimain& frame, lists::FileInfo key);

// Connects the view panel's controls and the menus' closing to the frame's
// handlers. Called once from the frame's constructor.
void wireCommandControls(Tmdimain& frame);

}  // namespace arbel::ui

#pragma once
// The gates of the frame's commands: whether a command applies to the current state.
// A command whose gate is closed does nothing and shows nothing. Commands with several
// possible outcomes (Delete, Open Selected Item, Open Folder, Attributes) have a route
// function that names the outcome instead.

#include <functional>
#include <optional>
#include <string>

#include "core/commands/command_id.h"
#include "core/commands/command_state.h"
#include "platform/paths.h"

namespace arbel::commands {

// A dialog other than the search window is open.
bool dialogBusy(const CommandState& s);
// The viewer is the active child and no search window is open.
bool viewerInFront(const CommandState& s);
// The active source (search results, tree, or the active file list) offers items:
// a selected search row, a tree folder that is not a volume's mount point, or a
// selected list entry.
bool hasSource(const CommandState& s);
// The active child is a folder window or the auto-folder window.
bool fileWindowActive(const CommandState& s);

// The gate of a command. For commands whose outcome depends on more than the gate
// (see the route functions below), an open gate means "route it".
bool gateOpen(Command c, const CommandState& s);

// Delete key and the Delete command.
enum class DeleteRoute {
    Nothing,
    EditField,         // the key belongs to the focused text field
    OpenDeleteDialog,  // delete the selected items
};
DeleteRoute routeDelete(const CommandState& s);

// Change Attributes: Shift held asks for the properties sheet instead.
enum class AttributesRoute { Nothing, OpenDialog, ShowProperties };
AttributesRoute routeAttributes(const CommandState& s, bool shiftHeld);

// Open Selected Item (Enter). The file-system questions are asked through the
// callbacks so that the decision stays a pure function.
enum class OpenAction {
    Nothing,
    ApplyFilter,         // Enter in the filter field: apply its text
    StartSearch,         // the search window's confirm action
    OpenSearchResult,    // open the selected search result through the desktop
    ConfirmDialog,       // the open dialog's confirm action
    ClearPendingUpdate,  // a refresh signal was still pending: clear it, nothing else
    OpenTrash,           // the item is a trash folder: open the trash
    OpenFile,            // open a file with its default application
    OpenFolderWindow,    // open a new folder window on `path`
};
struct OpenRoute {
    OpenAction action = OpenAction::Nothing;
    std::string path;
};

struct OpenInputs {
    // The tree's selected folder (no trailing "/" except the root), the folder of the
    // active file list, and the first selected name of that list; the full name of the
    // selected search result.
    std::string treeFolder;
    std::string listFolder;
    std::string firstSelectedName;
    std::string searchResultPath;
};

struct FileQueries {
    std::function<bool(const std::string&)> isFolder;  // follows links
    std::function<bool(const std::string&)> isFile;    // an existing non-folder
    std::function<bool(const std::string&)> isTrash;   // a trash location
};

// Real file-system answers: stat following links; trash folders of this user.
FileQueries diskQueries();

OpenRoute routeOpenSelected(const CommandState& s, const OpenInputs& in, const FileQueries& fs);
// The same route when it can be decided without asking the file system (Enter in
// the filter field, a dialog's confirm, nothing selected, ...); nothing when the
// answer depends on the items, so that the caller asks routeOpenSelected where a
// hanging file system cannot stop it.
std::optional<OpenRoute> routeWithoutDisk(const CommandState& s, const OpenInputs& in);
// What the user is told, after the item's name, when it did not answer in time.
inline constexpr std::string_view kNotAnswering =
    "\n\ndoes not answer: it may lie on a network share that cannot be reached. Nothing was opened.";

// Open Folder (Ctrl+D): the folder the new window shows, or nothing when there is no
// existing folder to show. `viewerFile` is the file the active viewer shows.
std::optional<std::string> openFolderTarget(const CommandState& s, const OpenInputs& in,
                                            const std::string& viewerFile, const FileQueries& fs);

// File Viewer (Ctrl+V): the file a new viewer shows, when the gate is open and the
// first selected item is an existing file.
std::optional<std::string> fileViewerTarget(const CommandState& s, const OpenInputs& in,
                                            const FileQueries& fs);

}  // namespace arbel::commands

#include "core/commands/gates.h"

#include "platform/trash_places.h"

namespace arbel::commands {

bool dialogBusy(const CommandState& s) {
    return s.activeDialog != app::DialogTag::None && s.activeDialog != app::DialogTag::FindForm;
}

bool viewerInFront(const CommandState& s) {
    return s.activeKind == app::ActiveKind::Viewer && s.activeDialog != app::DialogTag::FindForm;
}

bool fileWindowActive(const CommandState& s) {
    return s.activeKind == app::ActiveKind::Auto || s.activeKind == app::ActiveKind::List;
}

bool hasSource(const CommandState& s) {
    if (s.fromSearch) return s.searchSelected > 0;
    switch (s.activeKind) {
        case app::ActiveKind::Dir:
            return s.treeHasSelection && !s.treeAtVolumeRoot;
        case app::ActiveKind::Auto:
        case app::ActiveKind::List:
            return s.listSelected > 0;
        default:
            return false;
    }
}

namespace {

bool renameGate(const CommandState& s) {
    if (dialogBusy(s) || viewerInFront(s)) return false;
    if (s.fromSearch) return s.searchSelected == 1;
    if (fileWindowActive(s)) return s.listSelected == 1;
    // The tree renames its folder, or the volume's label at a mount point.
    return s.activeKind == app::ActiveKind::Dir && s.treeHasSelection;
}

bool propertiesGate(const CommandState& s) {
    if (fileWindowActive(s)) return s.listSelected == 1;
    return s.activeKind == app::ActiveKind::Dir && s.treeHasSelection;
}

bool noDialogNoViewer(const CommandState& s) {
    return s.activeDialog == app::DialogTag::None && s.activeKind != app::ActiveKind::Viewer;
}

}  // namespace

bool gateOpen(Command c, const CommandState& s) {
    switch (c) {
        case Command::Copy:
        case Command::Move:
            return !dialogBusy(s) && !viewerInFront(s) && hasSource(s);
        case Command::Delete:
            return routeDelete(s) != DeleteRoute::Nothing;
        case Command::Rename:
            return renameGate(s);
        case Command::ChangeCaseMenu:
        case Command::Lowercase:
        case Command::Uppercase:
        case Command::SentenceCase:
        case Command::TitleCase:
            // Renames the selected names of the active file list in place.
            return fileWindowActive(s) && s.listSelected > 0;
        case Command::ChangeAttributes:
            return routeAttributes(s, false) != AttributesRoute::Nothing;
        case Command::Properties:
            return propertiesGate(s);
        case Command::Shortcut:
            if (!noDialogNoViewer(s)) return false;
            if (fileWindowActive(s)) return s.listSelected > 0;
            return s.activeKind == app::ActiveKind::Dir && s.treeHasSelection;
        case Command::ShortcutProperties:
            return fileWindowActive(s);
        case Command::NewFolder:
        case Command::Search:
            return noDialogNoViewer(s);
        case Command::Undo:
            return s.canUndo && !dialogBusy(s);
        case Command::UndoHistory:
            return !dialogBusy(s);
        case Command::Run:
        case Command::Associate:
            return s.activeDialog == app::DialogTag::None;
        case Command::FolderAs:
            return s.activeDialog == app::DialogTag::None || s.fromSearch;
        case Command::Refresh:
            return !s.fromSearch && (s.activeKind == app::ActiveKind::Dir || fileWindowActive(s));
        case Command::AutoFolder:
        case Command::AutoFileViewer:
        case Command::SelectedItem:
        case Command::Folder:
            return true;
        case Command::FileViewer:
            return fileWindowActive(s) && s.listSelected > 0;
        case Command::SelectAll:
        case Command::SelectAllFiles:
        case Command::ClearFilter:
        case Command::FilesOnly:
        case Command::DisplayMenu:
        case Command::LargeIcons:
        case Command::SmallIcons:
        case Command::List:
        case Command::Details:
        case Command::SortMenu:
        case Command::SortName:
        case Command::SortExt:
        case Command::SortSize:
        case Command::SortFlags:
        case Command::SortDate:
        case Command::SortReverse:
            return fileWindowActive(s);
        case Command::ToggleDisplay:
            // The tree has no display styles; the rule only excludes it, and
            // without a file window there is no list to restyle either.
            return fileWindowActive(s);
        case Command::Next:
        case Command::Previous:
        case Command::Close:
            return s.activeKind == app::ActiveKind::Dir || fileWindowActive(s) ||
                   s.activeKind == app::ActiveKind::Viewer;
        case Command::ArrangeAll:
            return true;
        case Command::LabelDisk:
        case Command::FormatDisk:
            // They act on a volume: the tree with a volume's mount point selected.
            return !dialogBusy(s) && s.activeKind == app::ActiveKind::Dir && s.treeHasSelection &&
                   s.treeAtVolumeRoot;
        case Command::MapNetworkDrive:
        case Command::DisconnectNetworkDrive:
            return !dialogBusy(s);
        case Command::Sharing:
            return false;
        default:
            // Commands without a gate of their own (Exit, the help, the volume
            // items, ...): their handlers decide.
            return true;
    }
}

DeleteRoute routeDelete(const CommandState& s) {
    if (s.filterFieldFocused) return DeleteRoute::EditField;
    if (s.activeDialog == app::DialogTag::FindForm) {
        if (s.searchResultsFocused && s.searchSelected > 0) return DeleteRoute::OpenDeleteDialog;
        // Otherwise the key is for the search window's own text fields.
        return s.searchResultsFocused ? DeleteRoute::Nothing : DeleteRoute::EditField;
    }
    if (s.activeKind == app::ActiveKind::Viewer) return DeleteRoute::Nothing;
    switch (s.activeDialog) {
        case app::DialogTag::Rename:
        case app::DialogTag::Attrib:
        case app::DialogTag::NewDir:
        case app::DialogTag::Shortcut:
        case app::DialogTag::Copier:
        case app::DialogTag::GotoForm:
        case app::DialogTag::RunForm:
            return DeleteRoute::EditField;
        case app::DialogTag::None:
            return hasSource(s) ? DeleteRoute::OpenDeleteDialog : DeleteRoute::Nothing;
        default:
            return DeleteRoute::Nothing;
    }
}

AttributesRoute routeAttributes(const CommandState& s, bool shiftHeld) {
    if (dialogBusy(s) || viewerInFront(s)) return AttributesRoute::Nothing;
    if (shiftHeld && !s.fromSearch)
        return propertiesGate(s) ? AttributesRoute::ShowProperties : AttributesRoute::Nothing;
    bool source = false;
    if (s.fromSearch)
        source = s.searchSelected > 0;
    else if (fileWindowActive(s))
        source = s.listSelected > 0;
    else
        source = s.activeKind == app::ActiveKind::Dir && s.treeHasSelection;
    return source ? AttributesRoute::OpenDialog : AttributesRoute::Nothing;
}

FileQueries diskQueries() {
    FileQueries q;
    q.isFolder = [](const std::string& p) { return isFolder(p); };
    q.isFile = [](const std::string& p) { return isExistingNonFolder(p); };
    q.isTrash = [trash = TrashPlaces::current()](const std::string& p) { return trash.isTrashLocation(p); };
    return q;
}

OpenRoute routeOpenSelected(const CommandState& s, const OpenInputs& in, const FileQueries& fs) {
    if (s.filterFieldFocused) return {OpenAction::ApplyFilter, {}};

    switch (s.activeDialog) {
        case app::DialogTag::None:
            break;
        case app::DialogTag::FindForm:
            if (!s.searchResultsFocused) return {OpenAction::StartSearch, {}};
            if (s.searchSelected > 0 && !in.searchResultPath.empty() && fs.isFile(in.searchResultPath))
                return {OpenAction::OpenSearchResult, in.searchResultPath};
            return {};
        case app::DialogTag::Copier:
        case app::DialogTag::Delete:
        case app::DialogTag::Shortcut:
        case app::DialogTag::Attrib:
        case app::DialogTag::GotoForm:
        case app::DialogTag::RunForm:
            return {OpenAction::ConfirmDialog, {}};
        default:
            return {};
    }

    if (s.pendingUpdate) return {OpenAction::ClearPendingUpdate, {}};

    if (s.activeKind == app::ActiveKind::Dir) {
        if (!s.treeHasSelection || in.treeFolder.empty()) return {};
        if (fs.isTrash(in.treeFolder)) return {OpenAction::OpenTrash, in.treeFolder};
        return {OpenAction::OpenFolderWindow, in.treeFolder};
    }
    if (fileWindowActive(s)) {
        if (s.listSelected == 0 || in.firstSelectedName.empty()) return {};
        std::string full = joinPath(in.listFolder, in.firstSelectedName);
        if (fs.isTrash(full)) return {OpenAction::OpenTrash, full};
        if (!fs.isFolder(full)) {
            if (fs.isFile(full)) return {OpenAction::OpenFile, full};
            return {};
        }
        return {OpenAction::OpenFolderWindow, full};
    }
    return {};
}

std::optional<OpenRoute> routeWithoutDisk(const CommandState& s, const OpenInputs& in) {
    // The route is a pure function of its inputs and the answers; when it asks
    // nothing, the answers cannot have mattered.
    bool asked = false;
    FileQueries probe;
    probe.isFolder = probe.isFile = probe.isTrash = [&asked](const std::string&) {
        asked = true;
        return false;
    };
    OpenRoute route = routeOpenSelected(s, in, probe);
    if (asked) return std::nullopt;
    return route;
}

std::optional<std::string> openFolderTarget(const CommandState& s, const OpenInputs& in,
                                            const std::string& viewerFile, const FileQueries& fs) {
    std::string target;
    switch (s.activeKind) {
        case app::ActiveKind::Dir:
            if (!s.treeHasSelection) return std::nullopt;
            target = in.treeFolder;
            break;
        case app::ActiveKind::Auto:
        case app::ActiveKind::List:
            target = in.listFolder;
            if (s.listSelected > 0 && !in.firstSelectedName.empty()) {
                std::string full = joinPath(in.listFolder, in.firstSelectedName);
                if (fs.isFolder(full)) target = full;
            }
            break;
        case app::ActiveKind::Viewer:
            if (viewerFile.empty()) return std::nullopt;
            target = parentPath(viewerFile);
            break;
        case app::ActiveKind::First:
        case app::ActiveKind::None:
            return std::nullopt;
    }
    if (target.empty() || !fs.isFolder(target)) return std::nullopt;
    return target;
}

std::optional<std::string> fileViewerTarget(const CommandState& s, const OpenInputs& in,
                                            const FileQueries& fs) {
    if (!gateOpen(Command::FileViewer, s) || in.firstSelectedName.empty()) return std::nullopt;
    std::string full = joinPath(in.listFolder, in.firstSelectedName);
    if (!fs.isFile(full)) return std::nullopt;
    return full;
}

}  // namespace arbel::commands

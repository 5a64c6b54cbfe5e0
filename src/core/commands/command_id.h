#pragma once
// The one id of every command: the core gates take it, the frame's action table
// (menu items and shortcuts) is indexed by it, and the context menus of the tree
// and of the windows run commands by it. New commands are added here, once.

namespace arbel::commands {

enum class Command {
    // File
    Copy,
    Move,
    Shortcut,
    Delete,
    Rename,
    ChangeCaseMenu,
    Lowercase,
    Uppercase,
    SentenceCase,
    TitleCase,
    ChangeAttributes,
    Properties,
    ShortcutProperties,
    NewFolder,
    Search,
    Edit,
    Run,
    Associate,
    Undo,
    UndoHistory,
    Exit,
    // Volume
    CopyDiskette,
    LabelDisk,
    FormatDisk,
    Sharing,
    MapNetworkDrive,
    DisconnectNetworkDrive,
    // Open
    SelectedItem,
    SelectedBranch,
    Tree,
    TreeAs,
    Folder,
    FolderAs,
    AutoFolder,
    FileViewer,
    AutoFileViewer,
    // View
    ClearFilter,
    FilesOnly,
    FolderSize,
    DisplayMenu,
    LargeIcons,
    SmallIcons,
    List,
    Details,
    ToggleDisplay,
    SortMenu,
    SortName,
    SortExt,
    SortSize,
    SortFlags,
    SortDate,
    SortReverse,
    SelectAll,
    SelectAllFiles,
    SelectDeselect,
    // Options
    Next,
    Previous,
    SetOptions,
    SaveCurrentConfiguration,
    RestoreDefaultConfiguration,
    // Window
    ArrangeAll,
    Refresh,
    SaveToFileMenu,
    SaveSelected,
    SaveEntire,
    Close,
    FrameSaveSettings,
    FrameRestoreDefault,
    // Help
    Contents,
    ScreenMap,
    About,
    // the menu bar's own "E&xit"
    MenuBarExit,
    Count_
};

}  // namespace arbel::commands

#pragma once
// Icons of the tool bar and view panel: a name from the desktop's icon theme,
// with a style icon when the theme lacks it, so no button is ever blank.

#include <QIcon>

namespace arbel::ui {

enum class FrameIcon {
    NewFolder,
    AutoFolder,
    Search,
    Copy,
    Move,
    Shortcut,
    Delete,
    Rename,
    AutoViewer,
    SelectAll,
    Editor,
    Attributes,
    Refresh,
    CopyDisk,
    FormatDisk,
    MapNetwork,
    UnmapNetwork,
    ShowFolders,
    SortOrder,
    LargeIcons,
    SmallIcons,
    ListView,
    DetailsView,
};

QIcon frameIcon(FrameIcon icon);

}  // namespace arbel::ui

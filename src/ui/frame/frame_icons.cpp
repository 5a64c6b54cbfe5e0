#include "ui/frame/frame_icons.h"

#include <QApplication>
#include <QStyle>

namespace arbel::ui {

namespace {

struct IconSource {
    const char* themeNames[3];
    QStyle::StandardPixmap fallback;
};

IconSource sourceOf(FrameIcon icon) {
    switch (icon) {
        case FrameIcon::NewFolder:
            return {{"folder-new"}, QStyle::SP_FileDialogNewFolder};
        case FrameIcon::AutoFolder:
            return {{"folder-open", "folder"}, QStyle::SP_DirOpenIcon};
        case FrameIcon::Search:
            return {{"system-search", "edit-find"}, QStyle::SP_FileDialogContentsView};
        case FrameIcon::Copy:
            return {{"edit-copy"}, QStyle::SP_FileDialogToParent};
        case FrameIcon::Move:
            return {{"edit-cut", "go-next"}, QStyle::SP_ArrowForward};
        case FrameIcon::Shortcut:
            return {{"emblem-symbolic-link", "insert-link"}, QStyle::SP_FileLinkIcon};
        case FrameIcon::Delete:
            return {{"edit-delete", "user-trash"}, QStyle::SP_TrashIcon};
        case FrameIcon::Rename:
            return {{"edit-rename", "document-edit", "insert-text"}, QStyle::SP_FileIcon};
        case FrameIcon::AutoViewer:
            return {{"document-print-preview", "x-office-document", "text-x-generic"},
                    QStyle::SP_FileDialogInfoView};
        case FrameIcon::SelectAll:
            return {{"edit-select-all"}, QStyle::SP_DialogApplyButton};
        case FrameIcon::Editor:
            return {{"accessories-text-editor", "text-editor"}, QStyle::SP_FileIcon};
        case FrameIcon::Attributes:
            return {{"document-properties"}, QStyle::SP_FileDialogDetailedView};
        case FrameIcon::Refresh:
            return {{"view-refresh"}, QStyle::SP_BrowserReload};
        case FrameIcon::CopyDisk:
            return {{"media-floppy", "media-optical"}, QStyle::SP_DriveFDIcon};
        case FrameIcon::FormatDisk:
            return {{"drive-removable-media", "drive-harddisk"}, QStyle::SP_DriveHDIcon};
        case FrameIcon::MapNetwork:
            return {{"network-server", "network-workgroup"}, QStyle::SP_DriveNetIcon};
        case FrameIcon::UnmapNetwork:
            return {{"network-offline", "network-error"}, QStyle::SP_DialogCancelButton};
        case FrameIcon::ShowFolders:
            return {{"folder"}, QStyle::SP_DirIcon};
        case FrameIcon::SortOrder:
            return {{"view-sort-ascending", "view-sort"}, QStyle::SP_ArrowDown};
        case FrameIcon::LargeIcons:
            return {{"view-grid", "view-app-grid"}, QStyle::SP_FileDialogContentsView};
        case FrameIcon::SmallIcons:
            return {{"view-list-symbolic", "view-list"}, QStyle::SP_FileDialogListView};
        case FrameIcon::ListView:
            return {{"view-list", "format-justify-left"}, QStyle::SP_FileDialogListView};
        case FrameIcon::DetailsView:
            return {{"view-list-details", "view-paged"}, QStyle::SP_FileDialogDetailedView};
    }
    return {{"image-missing"}, QStyle::SP_FileIcon};
}

}  // namespace

QIcon frameIcon(FrameIcon icon) {
    const IconSource src = sourceOf(icon);
    for (const char* name : src.themeNames) {
        if (!name) break;
        const QString themeName = QString::fromLatin1(name);
        if (QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
    }
    return QApplication::style()->standardIcon(src.fallback);
}

}  // namespace arbel::ui

#include "ui/icons/type_icons.h"

#include <QApplication>
#include <QFile>
#include <QMimeDatabase>
#include <QStyle>

#include "core/lists/desktop_entry.h"

namespace arbel::ui {

namespace {

QString nameOf(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

QIcon styleIcon(int which) {
    QStyle* style = QApplication::style();
    return style ? style->standardIcon(QStyle::StandardPixmap(which)) : QIcon();
}

}  // namespace

TypeIconCache& TypeIconCache::instance() {
    static TypeIconCache cache;
    return cache;
}

void TypeIconCache::clear() {
    byType_.clear();
    folder_[0] = folder_[1] = QIcon();
}

QIcon TypeIconCache::themed(const QString& name, const QString& generic, int fallback) {
    if (!name.isEmpty() && QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    if (!generic.isEmpty() && QIcon::hasThemeIcon(generic)) return QIcon::fromTheme(generic);
    return styleIcon(fallback);
}

QIcon TypeIconCache::folder(bool open) {
    QIcon& icon = folder_[open ? 1 : 0];
    if (icon.isNull())
        icon = open ? themed("folder-open", "folder", QStyle::SP_DirOpenIcon)
                    : themed("folder", {}, QStyle::SP_DirIcon);
    return icon;
}

QIcon TypeIconCache::volume(DriveType type) {
    switch (type) {
        case DriveType::Removable:
            return themed("drive-removable-media", "drive-harddisk", QStyle::SP_DriveFDIcon);
        case DriveType::CDRom:
            return themed("media-optical", "drive-optical", QStyle::SP_DriveCDIcon);
        case DriveType::Remote:
            return themed("folder-remote", "network-server", QStyle::SP_DriveNetIcon);
        default:
            return themed("drive-harddisk", {}, QStyle::SP_DriveHDIcon);
    }
}

QString TypeIconCache::cacheKey(std::string_view name, const QString& contentType, bool program) {
    if (lists::isDesktopEntryName(name) || contentType == "application/x-desktop") return {};
    if (program) return {};
    if (!contentType.isEmpty()) return contentType;
    return QMimeDatabase().mimeTypeForFile(nameOf(name), QMimeDatabase::MatchExtension).name();
}

QIcon TypeIconCache::file(std::string_view name, bool program, const QString& own,
                          const QString& contentType) {
    QString key = cacheKey(name, contentType, program);
    if (key.isEmpty()) {
        if (program) return themed("application-x-executable", "system-run", QStyle::SP_FileIcon);
        if (own.startsWith('/')) {
            QIcon icon(own);
            if (!icon.isNull()) return icon;
        } else if (!own.isEmpty() && QIcon::hasThemeIcon(own)) {
            return QIcon::fromTheme(own);
        }
        return themed("application-x-desktop", "text-x-generic", QStyle::SP_FileIcon);
    }
    auto it = byType_.find(key);
    if (it != byType_.end()) return *it;
    QMimeType mime = QMimeDatabase().mimeTypeForName(key);
    QIcon icon = mime.isValid() ? themed(mime.iconName(), mime.genericIconName(), QStyle::SP_FileIcon)
                                : styleIcon(QStyle::SP_FileIcon);
    byType_.insert(key, icon);
    return icon;
}

QIcon iconForFolder(bool open) {
    return TypeIconCache::instance().folder(open);
}
QIcon iconForFile(std::string_view name, bool program, const QString& ownIcon, const QString& contentType) {
    return TypeIconCache::instance().file(name, program, ownIcon, contentType);
}
QIcon iconForVolume(DriveType type) {
    return TypeIconCache::instance().volume(type);
}

}  // namespace arbel::ui

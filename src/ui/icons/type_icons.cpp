#include "ui/icons/type_icons.h"

#include <QApplication>
#include <QFile>
#include <QMimeDatabase>
#include <QStyle>

#include "core/lists/desktop_entry.h"

namespace arbel::ui {

namespace {

bool endsWithDesktop(const std::string& path) {
    static constexpr std::string_view kSuffix = ".desktop";
    if (path.size() < kSuffix.size()) return false;
    for (size_t i = 0; i < kSuffix.size(); ++i) {
        char c = path[path.size() - kSuffix.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != kSuffix[i]) return false;
    }
    return true;
}

QString nameOf(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(baseName(path)));
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

QString TypeIconCache::cacheKey(const std::string& path, const QString& contentType, bool executable) {
    if (endsWithDesktop(path) || contentType == "application/x-desktop") return {};
    if (executable) return {};
    if (!contentType.isEmpty()) return contentType;
    return QMimeDatabase().mimeTypeForFile(nameOf(path), QMimeDatabase::MatchExtension).name();
}

QString TypeIconCache::desktopEntryIcon(const std::string& path) {
    return QString::fromStdString(arbel::lists::desktopEntryIcon(path));
}

QIcon TypeIconCache::file(const std::string& path, const QString& contentType) {
    bool executable = isExecutableFile(path);
    QString key = cacheKey(path, contentType, executable);
    if (key.isEmpty()) {
        if (executable) return themed("application-x-executable", "system-run", QStyle::SP_FileIcon);
        QString own = desktopEntryIcon(path);
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
QIcon iconForFile(const std::string& path, const QString& contentType) {
    return TypeIconCache::instance().file(path, contentType);
}
QIcon iconForVolume(DriveType type) {
    return TypeIconCache::instance().volume(type);
}

}  // namespace arbel::ui

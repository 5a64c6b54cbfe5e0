#pragma once
// The type icon cache: one icon per content type, asked of the icon theme once and
// kept. Files whose icon depends on the file itself (a .desktop file names its own
// icon; a program shows the program icon whatever its name says) are never cached
// by type. Folders have one icon closed and one open. Without an icon theme the
// style's file and folder icons stand in, so no entry is ever blank.

#include <QHash>
#include <QIcon>
#include <QString>
#include <string>

#include "core/app/file_system.h"

namespace arbel::ui {

// Icon of a folder; open = the selected (open) variant.
QIcon iconForFolder(bool open = false);
// Icon of a file. path: its full path (bytes); contentType: its MIME type when the
// caller already knows it, else it is guessed from the name alone (no reading).
QIcon iconForFile(const std::string& path, const QString& contentType = {});
// Icon of a volume node, by its kind.
QIcon iconForVolume(DriveType type);

class TypeIconCache {
public:
    static TypeIconCache& instance();

    QIcon folder(bool open);
    QIcon file(const std::string& path, const QString& contentType);
    QIcon volume(DriveType type);

    // The key under which a file's icon is cached; empty when the icon belongs to the
    // file itself and must be looked up every time.
    static QString cacheKey(const std::string& path, const QString& contentType, bool executable);
    // The Icon= value of a Desktop Entry file (first [Desktop Entry] group), or empty.
    static QString desktopEntryIcon(const std::string& path);

    int cachedTypes() const { return int(byType_.size()); }
    void clear();

private:
    QIcon themed(const QString& name, const QString& generic, int fallback);
    QHash<QString, QIcon> byType_;
    QIcon folder_[2];
};

}  // namespace arbel::ui

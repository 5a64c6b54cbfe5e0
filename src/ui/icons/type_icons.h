#pragma once
// The type icon cache: one icon per content type, asked of the icon theme once and
// kept. Files whose icon depends on the file itself (a .desktop file names its own
// icon; a program shows the program icon whatever its name says) are never cached
// by type. Nothing here touches the file system: whether a file is a program and
// which icon a Desktop Entry names come from the folder read, so painting a list
// never waits on a slow mount. Folders have one icon closed and one open. Without an icon theme the
// style's file and folder icons stand in, so no entry is ever blank.

#include <QHash>
#include <QIcon>
#include <QString>
#include <string>
#include <string_view>

#include "core/app/file_system.h"

namespace arbel::ui {

// Icon of a folder; open = the selected (open) variant.
QIcon iconForFolder(bool open = false);
// Icon of a file. name: its name or path (bytes); program: a regular file with an
// execute bit; ownIcon: the Icon= value of a Desktop Entry file, as the read found
// it; contentType: its MIME type when known, else guessed from the name alone.
QIcon iconForFile(std::string_view name, bool program = false, const QString& ownIcon = {},
                  const QString& contentType = {});
// Icon of a volume node, by its kind.
QIcon iconForVolume(DriveType type);

class TypeIconCache {
public:
    static TypeIconCache& instance();

    QIcon folder(bool open);
    QIcon file(std::string_view name, bool program, const QString& ownIcon, const QString& contentType);
    QIcon volume(DriveType type);

    // The key under which a file's icon is cached; empty when the icon belongs to the
    // file itself and must be looked up every time.
    static QString cacheKey(std::string_view name, const QString& contentType, bool program);

    int cachedTypes() const { return int(byType_.size()); }
    void clear();

private:
    QIcon themed(const QString& name, const QString& generic, int fallback);
    QHash<QString, QIcon> byType_;
    QIcon folder_[2];
};

}  // namespace arbel::ui

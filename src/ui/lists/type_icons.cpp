#include "ui/lists/type_icons.h"

#include <sys/stat.h>

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QStyle>

namespace arbel::ui {

namespace {

QIcon themed(const QString& name, QStyle::StandardPixmap fallback) {
    QIcon icon = QIcon::fromTheme(name);
    return icon.isNull() ? QApplication::style()->standardIcon(fallback) : icon;
}

// The "Icon=" value of a desktop entry's main group, read from its first lines.
QIcon desktopEntryIcon(const std::string& path) {
    QFile f(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    if (f.open(QIODevice::ReadOnly)) {
        for (int i = 0; i < 200 && !f.atEnd(); ++i) {
            QByteArray line = f.readLine(4096).trimmed();
            if (line.startsWith("[") && i > 0 && line != "[Desktop Entry]") break;
            if (line.startsWith("Icon=")) {
                QString value = QString::fromUtf8(line.mid(5)).trimmed();
                QIcon icon = value.startsWith(QLatin1Char('/')) ? QIcon(value) : QIcon::fromTheme(value);
                if (!icon.isNull()) return icon;
                break;
            }
        }
    }
    return themed(QStringLiteral("application-x-desktop"), QStyle::SP_FileLinkIcon);
}

}  // namespace

QString iconCacheKey(const FileEntry& e, std::string_view name) {
    if (e.isFolder()) return QStringLiteral("folder");
    if (S_ISREG(e.mode) && (e.mode & (S_IXUSR | S_IXGRP | S_IXOTH))) return QStringLiteral("exec");
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return QString();
    QString ext =
        QString::fromUtf8(name.data() + dot + 1, static_cast<qsizetype>(name.size() - dot - 1)).toLower();
    if (ext == QLatin1String("desktop")) return QStringLiteral("desktop");
    return ext;
}

TFileList::IconSource typeIconSource() {
    // One cache for every list: types do not change while the program runs.
    static QHash<QString, QIcon> cache;
    static QMimeDatabase db;
    return [](const FileEntry& e, const std::string& path) -> QIcon {
        std::string_view name(path);
        std::size_t slash = name.rfind('/');
        if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
        const QString key = iconCacheKey(e, name);
        if (key == QLatin1String("desktop")) return desktopEntryIcon(path);
        auto it = cache.constFind(key);
        if (it != cache.constEnd()) return *it;
        QIcon icon;
        if (key == QLatin1String("folder")) {
            icon = themed(QStringLiteral("folder"), QStyle::SP_DirIcon);
        } else if (key == QLatin1String("exec")) {
            icon = themed(QStringLiteral("application-x-executable"), QStyle::SP_FileIcon);
        } else {
            QMimeType type = db.mimeTypeForFile(QStringLiteral("x.") + key, QMimeDatabase::MatchExtension);
            icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
            if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        }
        cache.insert(key, icon);
        return icon;
    };
}

}  // namespace arbel::ui

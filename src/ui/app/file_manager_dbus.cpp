#include "ui/app/file_manager_dbus.h"

#include "core/app/command_line.h"

namespace arbel::ui {

namespace {

std::vector<std::string> pathsOf(const QStringList& uris) {
    std::vector<std::string> bytes;
    bytes.reserve(std::size_t(uris.size()));
    // URIs are ASCII with escapes; a raw non-ASCII character stands for its UTF-8 bytes.
    for (const QString& uri : uris) bytes.push_back(uri.toUtf8().toStdString());
    return app::pathsOfUris(bytes);
}

}  // namespace

FileManagerInterface::FileManagerInterface(OpenHandler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void FileManagerInterface::ShowFolders(const QStringList& uris, const QString& startupId) {
    handler_(pathsOf(uris), app::ShowMode::Contents, startupId);
}

void FileManagerInterface::ShowItems(const QStringList& uris, const QString& startupId) {
    handler_(pathsOf(uris), app::ShowMode::Item, startupId);
}

void FileManagerInterface::ShowItemProperties(const QStringList& uris, const QString& startupId) {
    handler_(pathsOf(uris), app::ShowMode::Properties, startupId);
}

InstanceInterface::InstanceInterface(OpenHandler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void InstanceInterface::Open(const QByteArrayList& paths, const QString& startupId) {
    std::vector<std::string> bytes;
    for (const QByteArray& p : paths) {
        // Only what the command line itself would open: absolute, clean, no NUL.
        std::string path = p.toStdString();
        if (path.starts_with('/') && path.find('\0') == std::string::npos)
            bytes.push_back(app::cleanPath(path));
    }
    handler_(std::move(bytes), app::ShowMode::Contents, startupId);
}

}  // namespace arbel::ui

#pragma once
// The two interfaces Arbel exports on the session bus. Both only hand what
// arrives to a handler; the single instance decides when and how it opens.
//
//   org.freedesktop.FileManager1 on /org/freedesktop/FileManager1: what other
//   programs call to show folders and files ("Show in folder").
//   org.arbel.Arbel on /org/arbel/Arbel: what a second `arbel PATH` calls. Its
//   paths travel as byte arrays, since a D-Bus string must be UTF-8 and a file
//   name need not be.

#include <QByteArrayList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "core/app/open_targets.h"

namespace arbel::ui {

inline constexpr char kInstanceService[] = "org.arbel.Arbel";
inline constexpr char kInstancePath[] = "/org/arbel/Arbel";
inline constexpr char kInstanceInterface[] = "org.arbel.Arbel";
inline constexpr char kFileManagerService[] = "org.freedesktop.FileManager1";
inline constexpr char kFileManagerPath[] = "/org/freedesktop/FileManager1";

// Paths to open, how, and the activation token of the program that asked
// (empty when none), so the desktop lets the frame come to the front.
using OpenHandler =
    std::function<void(std::vector<std::string> paths, app::ShowMode mode, const QString& token)>;

class FileManagerInterface : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    FileManagerInterface(OpenHandler handler, QObject* parent);

public slots:
    void ShowFolders(const QStringList& uris, const QString& startupId);
    void ShowItems(const QStringList& uris, const QString& startupId);
    // Each item gets Arbel's properties window.
    void ShowItemProperties(const QStringList& uris, const QString& startupId);

private:
    OpenHandler handler_;
};

class InstanceInterface : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.arbel.Arbel")
public:
    InstanceInterface(OpenHandler handler, QObject* parent);

public slots:
    // Absolute paths, as the command line opens them.
    void Open(const QByteArrayList& paths, const QString& startupId);

private:
    OpenHandler handler_;
};

}  // namespace arbel::ui

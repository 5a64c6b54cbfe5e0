#pragma once
// Shortcuts as the Linux desktop knows them: Desktop Entry files. A program becomes
// an application entry (Type=Application, its path and arguments in Exec, quoted
// so that any name survives), a document or folder a link entry (Type=Link with a
// file:// URL). The special folders a shortcut may be put in are the user's XDG
// folders.
//
//   TPBShellLink link;
//   link.Target = "/opt/tool/run me";  link.WorkingDir = "/opt/tool";
//   if (!link.setShellFolder(TShellFolder::sfDesktop)) ...;   // Favorites etc. refused
//   link.setFileName("Shortcut to run me");   // -> <Desktop>/Shortcut to run me.desktop
//   Status written = link.write();

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace arbel::shortcuts {

enum class TShellFolder {
    sfNone,
    sfDesktop,
    sfFavorites,
    sfFonts,
    sfPersonal,
    sfPrograms,
    sfRecent,
    sfSendTo,
    sfStartMenu,
    sfStartup,
    sfTemplates
};

// The folder behind a special-folder value; nothing for sfNone and for the values
// this desktop has no folder for (Favorites, Recent, SendTo).
std::optional<std::string> shellFolderPath(TShellFolder folder);

enum class WindowState { Normal, Minimized, Maximized };

struct TFileIcon {
    std::string FileName;  // an icon name of the theme, or an image's path
    int IconIndex = 0;
};

// The extension every shortcut file carries.
inline constexpr std::string_view kShortcutExtension = ".desktop";
// True when the name ends in ".desktop" in any case.
bool hasShortcutExtension(std::string_view name);

class TPBShellLink {
public:
    std::string Target;
    std::string WorkingDir;
    std::string Description;
    std::string Arguments;  // a command line fragment, split into words as a shell does
    // Kept for callers; a Desktop Entry has no place for them.
    WindowState windowState = WindowState::Normal;
    int HotKey = 0;
    TFileIcon FileIcon;

    const std::string& FileName() const { return fileName_; }
    // A different name is first moved into the special folder (when one is set),
    // then gets ".desktop" unless it already ends so in any case.
    void setFileName(const std::string& name);

    TShellFolder ShellFolder() const { return shellFolder_; }
    // A change to a real folder moves FileName's last component into it. Refused
    // (false, nothing changed) for a value without a folder.
    bool setShellFolder(TShellFolder folder);

    // Whether write() makes an application entry (Target is a program whose path,
    // folder and arguments are UTF-8) rather than a link entry.
    bool writesApplication() const;
    // The file's contents; an Error when the fields cannot make an entry (no
    // absolute target, arguments with an open quote).
    Result<std::string> entryText() const;
    // Writes FileName: complete in a temporary file beside it, mode 0755 (desktops
    // start only executable launchers), then renamed over an existing file of the
    // name, so a failure never leaves a broken or half shortcut.
    Status write() const;

private:
    std::string fileName_;
    TShellFolder shellFolder_ = TShellFolder::sfNone;
};

// The Exec value that starts `program` with `arguments` and then `fieldCode` (such
// as "%f"), quoted so that GLib and the desktop hand the program exactly these
// words; nothing when a Desktop Entry cannot name the program (not UTF-8, or
// holding both "%" and "=").
std::optional<std::string> execForProgram(const std::string& program,
                                          const std::vector<std::string>& arguments,
                                          std::string_view fieldCode = {});

// Writes bytes to path atomically with the given mode, replacing the file (or
// link) of that name but never a folder.
Status writeFileReplacing(const std::string& path, std::string_view bytes, unsigned mode);

}  // namespace arbel::shortcuts

#include "core/shortcuts/shell_link.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "core/dnd/uri_list.h"
#include "core/launch/command_words.h"
#include "core/lists/desktop_entry.h"
#include "platform/dir.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/user_folders.h"

namespace arbel::shortcuts {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The name shown for the entry: its file name without the extension.
std::string entryName(const std::string& fileName) {
    std::string name = baseName(fileName);
    if (hasShortcutExtension(name)) name.resize(name.size() - kShortcutExtension.size());
    return name;
}

bool isProgram(const std::string& target) {
    // An entry file is opened as a document: the desktop starts what it describes.
    return isExecutableFile(target) && !hasShortcutExtension(target);
}

void line(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += '=';
    out += lists::escapeDesktopValue(value);
    out += '\n';
}

}  // namespace

std::optional<std::string> shellFolderPath(TShellFolder folder) {
    std::string path;
    switch (folder) {
        case TShellFolder::sfDesktop:
            path = userFolder(UserFolder::Desktop);
            break;
        case TShellFolder::sfPersonal:
            path = userFolder(UserFolder::Documents);
            break;
        case TShellFolder::sfTemplates:
            path = userFolder(UserFolder::Templates);
            break;
        case TShellFolder::sfPrograms:
        case TShellFolder::sfStartMenu:
            path = userFolder(UserFolder::Applications);
            break;
        case TShellFolder::sfStartup:
            path = userFolder(UserFolder::Autostart);
            break;
        case TShellFolder::sfFonts:
            path = userFolder(UserFolder::Fonts);
            break;
        case TShellFolder::sfNone:
        case TShellFolder::sfFavorites:
        case TShellFolder::sfRecent:
        case TShellFolder::sfSendTo:
            return std::nullopt;
    }
    if (path.empty()) return std::nullopt;
    return path;
}

bool hasShortcutExtension(std::string_view name) {
    if (name.size() < kShortcutExtension.size()) return false;
    std::string_view tail = name.substr(name.size() - kShortcutExtension.size());
    for (size_t i = 0; i < tail.size(); ++i)
        if (lower(tail[i]) != kShortcutExtension[i]) return false;
    return true;
}

void TPBShellLink::setFileName(const std::string& name) {
    if (name == fileName_) return;
    std::string placed = name;
    if (auto folder = shellFolderPath(shellFolder_)) placed = joinPath(*folder, baseName(name));
    if (!hasShortcutExtension(placed)) placed += kShortcutExtension;
    fileName_ = std::move(placed);
}

bool TPBShellLink::setShellFolder(TShellFolder folder) {
    if (folder == shellFolder_) return true;
    if (folder == TShellFolder::sfNone) {
        shellFolder_ = folder;
        return true;
    }
    auto path = shellFolderPath(folder);
    if (!path) return false;
    shellFolder_ = folder;
    if (!fileName_.empty()) fileName_ = joinPath(*path, baseName(fileName_));
    return true;
}

bool TPBShellLink::writesApplication() const {
    // A Desktop Entry holds only UTF-8, and Exec has no escape for other bytes: a
    // program whose name is not UTF-8 is reached through a link entry, whose URL
    // carries every byte.
    return isProgram(Target) && execForProgram(Target, {}) && lists::isUtf8(WorkingDir) &&
           lists::isUtf8(Arguments);
}

Result<std::string> TPBShellLink::entryText() const {
    if (Target.empty() || Target.front() != '/')
        return Error{Target, 0, "a shortcut needs the full path of its target"};
    std::string out = "[Desktop Entry]\n";
    const bool application = writesApplication();
    line(out, "Type", application ? "Application" : "Link");
    std::string name = lists::utf8ForDisplay(entryName(fileName_.empty() ? Target : fileName_));
    if (name.empty()) name = lists::utf8ForDisplay(baseName(Target));
    line(out, "Name", name);
    if (!Description.empty()) line(out, "Comment", lists::utf8ForDisplay(Description));
    if (application) {
        auto words = launch::splitCommandWords(Arguments);
        if (!words) return Error{Target, 0, "the arguments have an unfinished quote"};
        line(out, "Exec", *execForProgram(Target, *words));
        if (!WorkingDir.empty()) line(out, "Path", WorkingDir);
        line(out, "Terminal", "false");
    } else {
        line(out, "URL", dnd::fileUrl(Target));
    }
    if (!FileIcon.FileName.empty() && lists::isUtf8(FileIcon.FileName)) line(out, "Icon", FileIcon.FileName);
    return out;
}

Status TPBShellLink::write() const {
    if (fileName_.empty()) return Error{{}, 0, "the shortcut has no file name"};
    auto text = entryText();
    if (!text) return Error{fileName_, 0, text.error().message};
    return writeFileReplacing(fileName_, *text, 0755);
}

std::optional<std::string> execForProgram(const std::string& program,
                                          const std::vector<std::string>& arguments,
                                          std::string_view fieldCode) {
    if (!lists::isUtf8(program)) return std::nullopt;
    for (const std::string& a : arguments)
        if (!lists::isUtf8(a)) return std::nullopt;
    std::vector<std::string> argv{program};
    // GLib looks for Exec's first word before it undoes "%%", so a program named
    // with "%" is started through env(1), which takes the name as an argument; a
    // name with "=" as well would be an assignment to env.
    if (program.find('%') != std::string::npos) {
        if (program.find('=') != std::string::npos) return std::nullopt;
        argv.insert(argv.begin(), "env");
    }
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return lists::execLine(argv, fieldCode);
}

Status writeFileReplacing(const std::string& path, std::string_view bytes, unsigned mode) {
    const std::string name = baseName(path);
    if (name.empty() || name == "/" || name == "." || name == "..") return errnoError(path, EINVAL);
    auto dir = DirHandle::open(parentPath(path));
    if (!dir) return errnoError(path, dir.error().code);
    struct stat st;
    if (::fstatat(dir->fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
        return errnoError(path, EISDIR);
    auto temp = createTempBeside(dir->fd(), name);
    if (!temp) return errnoError(path, temp.error().code);
    int error = 0;
    size_t done = 0;
    while (!error && done < bytes.size()) {
        ssize_t n = ::write(temp->fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            error = n < 0 ? errno : ENOSPC;
        else
            done += size_t(n);
    }
    // The mode is set on the handle, so the umask cannot take the execute bits.
    if (!error && ::fchmod(temp->fd, mode_t(mode)) != 0) error = errno;
    if (!error && ::fsync(temp->fd) != 0) error = errno;
    if (error) {
        discardTemp(dir->fd(), *temp);
        return errnoError(path, error);
    }
    Status committed = commitTemp(dir->fd(), *temp, name, true);
    if (!committed) return errnoError(path, committed.error().code);
    return {};
}

}  // namespace arbel::shortcuts

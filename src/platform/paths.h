#pragma once
// Path helpers on byte strings, and the few facts about a path that callers ask of
// the file system one at a time. Every layer uses these; none spells its own.

#include <string>
#include <string_view>

namespace arbel {

// "a" + "/" + "b", without doubling the "/" after the root.
std::string joinPath(std::string_view folder, std::string_view name);
// The folder part of a path ("/a/b" -> "/a", "/a" -> "/"; a trailing "/" is ignored);
// "." for a bare name, as dirname(1) gives.
std::string parentPath(std::string_view path);
// The last component ("/a/b" -> "b"; trailing "/" ignored; "/" stays "/").
std::string baseName(std::string_view path);
// True when path equals folder or lies below it (folder + "/" prefix), comparing bytes.
bool isSameOrBelow(std::string_view path, std::string_view folder);

// A folder, following links.
bool isFolder(const std::string& path);
// A folder itself: a link to a folder is not one.
bool isFolderItself(const std::string& path);
// Anything but a folder (a file, device, FIFO, socket), following links.
bool isExistingNonFolder(const std::string& path);
// A regular file, following links.
bool isRegularFile(const std::string& path);
// A regular file with any execute bit, following links.
bool isExecutableFile(const std::string& path);
// The name exists, itself (a dangling link exists).
bool pathExists(const std::string& path);
// The name is certainly gone: lstat says ENOENT. An unreadable parent is not "gone".
bool isGone(const std::string& path);

// The user's home folder ($HOME), empty when unset.
std::string homeFolder();
// $XDG_DATA_HOME when absolute, else $HOME/.local/share; empty without either.
std::string dataHome();
// $XDG_CONFIG_HOME when absolute, else $HOME/.config; empty without either.
std::string configHome();

}  // namespace arbel

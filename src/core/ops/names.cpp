#include "core/ops/names.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/fileops.h"

namespace arbel::ops {

std::string checkItemName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return std::string(kInvalidName);
    }
    return {};
}

std::vector<std::string> newFolderComponents(std::string_view typed) {
    std::vector<std::string> parts;
    if (typed.find('\0') != std::string_view::npos) return {};
    size_t pos = 0;
    while (pos <= typed.size()) {
        size_t slash = typed.find('/', pos);
        std::string_view part =
            typed.substr(pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
        if (part == "." || part == "..") return {};
        if (!part.empty()) parts.emplace_back(part);
        if (slash == std::string_view::npos) break;
        pos = slash + 1;
    }
    return parts;
}

NewFolderResult createNewFolder(const std::string& parent, std::string_view typed) {
    NewFolderResult r;
    auto parts = newFolderComponents(typed);
    if (parts.empty()) {
        r.message = kFolderInvalid;
        return r;
    }
    r.path = parent;
    for (const auto& p : parts) r.path = joinPath(r.path, p);
    struct stat st;
    if (::stat(r.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        r.message = kFolderInUse;
        return r;
    }
    // The folders missing on the way are the ones this creates.
    std::vector<std::string> missing;
    for (std::string p = r.path; p.size() > parent.size() && ::lstat(p.c_str(), &st) != 0; p = parentPath(p))
        missing.insert(missing.begin(), p);
    Status s = makeDirs(r.path);
    for (const std::string& m : missing)
        if (::lstat(m.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) r.made.push_back(m);
    if (!s.ok() || ::stat(r.path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        r.message = kFolderFailed;
        r.error = s.ok() ? errnoError(r.path, ENOTDIR) : s.error();
        return r;
    }
    r.created = true;
    return r;
}

RenameResult renameItem(const std::string& oldPath, std::string_view newName) {
    RenameResult r;
    std::string why = checkItemName(newName);
    if (!why.empty()) {
        r.message = why;
        return r;
    }
    r.newPath = joinPath(parentPath(oldPath), newName);
    if (r.newPath == oldPath) {
        r.renamed = true;  // nothing to do
        return r;
    }
    struct stat os, ns;
    if (::lstat(oldPath.c_str(), &os) != 0) {
        r.message = std::string(kCannotRename) + oldPath;
        r.error = errnoError(oldPath);
        return r;
    }
    r.wasFolder = S_ISDIR(os.st_mode);
    if (::lstat(r.newPath.c_str(), &ns) == 0) {
        if (!sameFile(os, ns)) {
            r.message = kNameInUse;
            return r;
        }
        // Another spelling of the same entry (a case-insensitive volume): go
        // through a unique name so nothing is replaced.
        std::string temp = joinPath(parentPath(oldPath), tempNameFor(newName));
        if (!renameNoReplace(oldPath, temp).ok()) {
            r.message = std::string(kCannotRename) + oldPath;
            return r;
        }
        Status s = renameNoReplace(temp, r.newPath);
        if (!s.ok()) {
            (void)renameNoReplace(temp, oldPath);
            r.message = std::string(kCannotRename) + oldPath;
            r.error = s.error();
            return r;
        }
        r.renamed = true;
        return r;
    }
    Status s = renameNoReplace(oldPath, r.newPath);
    if (!s.ok()) {
        r.message = s.error().code == EEXIST ? std::string(kNameInUse) : std::string(kCannotRename) + oldPath;
        r.error = s.error();
        return r;
    }
    r.renamed = true;
    return r;
}

}  // namespace arbel::ops

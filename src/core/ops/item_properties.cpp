#include "core/ops/item_properties.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "platform/content_type.h"
#include "platform/paths.h"
#include "platform/volumes.h"

namespace arbel::ops {

Result<ItemProperties> readItemProperties(const std::string& path) {
    Result<FileInfo> info = fileInfo(path);
    if (!info) return info.error();
    ItemProperties p;
    p.path = path;
    p.name = path == "/" ? std::string("/") : baseName(path);
    p.location = parentPath(path);
    p.isLink = info->isLink;
    p.dangling = info->dangling;
    p.isFolder = S_ISDIR(info->mode);
    if (p.isLink) {
        Result<std::string> target = linkTarget(path);
        if (target) p.linkTarget = *target;
    }
    // A dangling link has no content to guess from: it is a link and nothing more.
    p.contentType = p.dangling ? std::string("inode/symlink") : contentTypeOf(path);
    if (p.contentType.empty() && p.isFolder) p.contentType = "inode/directory";
    p.kind = contentTypeDescription(p.contentType);
    p.size = p.isFolder ? 0 : info->size;
    p.uid = info->uid;
    p.gid = info->gid;
    p.owner = userName(info->uid);
    p.group = groupName(info->gid);
    p.mode = info->mode & 07777;
    p.modified = info->modified;
    p.accessed = info->accessed;
    p.changed = info->changed;
    p.created = info->created;
    const uid_t me = effectiveUser();
    // chmod of a link's target is what the window changes; nothing to change
    // when the target is missing.
    p.permissionsEditable = !p.dangling && (me == 0 || me == info->uid);

    const std::vector<Volume> volumes = listVolumes();
    if (const Volume* v = volumeOf(volumes, path)) {
        p.volumeRoot = v->mountPoint;
        p.volume = volumeCaption(*v, true);
    }
    const std::string where = p.dangling ? p.location : path;
    if (Result<uint64_t> free = freeSpace(where)) p.freeBytes = *free;
    return p;
}

std::string permissionText(mode_t mode) {
    std::string t = "---------";
    static constexpr mode_t bits[9] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP,
                                       S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
    static constexpr char letters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        if (mode & bits[i]) t[static_cast<std::size_t>(i)] = letters[i];
    auto special = [&](std::size_t at, mode_t bit, char set) {
        if (!(mode & bit)) return;
        t[at] = t[at] == 'x' ? set : static_cast<char>(std::toupper(static_cast<unsigned char>(set)));
    };
    special(2, S_ISUID, 's');
    special(5, S_ISGID, 's');
    special(8, S_ISVTX, 't');
    return t;
}

Status changePermissions(const std::string& path, mode_t rwx) {
    Result<FileInfo> info = fileInfo(path);
    if (!info) return info.error();
    if (info->dangling) return errnoError(path, ENOENT);
    return setMode(path, (info->mode & 07000) | (rwx & 0777));
}

Result<std::string> itemChecksum(const std::string& path, ChecksumKind kind, const CancelToken& cancel,
                                 std::atomic<uint64_t>* done) {
    return fileChecksum(path, kind, cancel, done);
}

ChecksumMatch compareChecksum(std::string_view computed, std::string_view pasted) {
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    auto sameDigest = [&](std::string_view word) {
        if (word.size() != computed.size()) return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(word[i])) !=
                std::tolower(static_cast<unsigned char>(computed[i])))
                return false;
        }
        return true;
    };
    // The digest may come with a file name around it: "digest  name" from
    // sha256sum, "SHA256 (name) = digest" from other tools. Any word that is
    // the digest counts.
    bool any = false;
    while (!pasted.empty()) {
        while (!pasted.empty() && blank(pasted.front())) pasted.remove_prefix(1);
        std::size_t n = 0;
        while (n < pasted.size() && !blank(pasted[n])) ++n;
        if (n == 0) break;
        any = true;
        if (sameDigest(pasted.substr(0, n))) return ChecksumMatch::Same;
        pasted.remove_prefix(n);
    }
    return any ? ChecksumMatch::Different : ChecksumMatch::Nothing;
}

}  // namespace arbel::ops

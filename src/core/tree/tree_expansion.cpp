#include "core/tree/tree_expansion.h"

#include <sys/stat.h>

#include <algorithm>

#include "core/tree/tree_expansion_detail.h"
#include "platform/attributes.h"

namespace arbel::tree::detail {

namespace {

bool isHiddenMount(const ExpansionQuery& q, const std::string& parentPath, std::string_view name) {
    auto it = q.volumeParents.find(parentPath);
    if (it == q.volumeParents.end()) return false;
    return std::find(it->second.begin(), it->second.end(), name) != it->second.end();
}

}  // namespace

uint32_t folderAttributes(const std::string& path, std::string_view name) {
    const std::string full = path + std::string(name);
    struct stat st {};
    if (::lstat(full.c_str(), &st) != 0) st.st_mode = S_IFDIR | S_IWUSR;  // gone: a plain folder
    return arbel::attributesOf(st, name, readDosAttrib(full).bits) | kAttrDirectory;
}

bool accepts(const ExpansionQuery& q, const std::string& path, std::string_view name, uint32_t attr,
             bool haveAttr, const AddDirHook& addDir) {
    if (isHiddenMount(q, path, name)) return false;
    if (q.skipTrash || addDir) {
        std::string child = path;
        child.append(name).push_back('/');
        if (q.skipTrash && q.trash.isBelowTrash(child, q.volumeRoot)) return false;
        if (addDir && !addDir(child)) return false;
    }
    if (q.checkAttributes) {
        if (!haveAttr) attr = folderAttributes(path, name);
        if (!lists::passesAttributeFilter(attr, q.filter)) return false;
    }
    return true;
}

std::vector<FoundFolder> subfolders(const ExpansionQuery& q, const std::string& path, const DirHandle& dir,
                                    bool stopAtFirst, const AddDirHook& addDir, const CancelToken* cancel) {
    std::vector<FoundFolder> out;
    (void)forEachEntry(dir, [&](const RawEntry& e) {
        if (cancel && cancel->cancelled()) return false;
        bool isDir = false, link = false;
        EntryType type = e.type;
        if (type == EntryType::Unknown) {
            auto st = statAt(dir, e.name, false);
            if (!st.ok()) return true;
            type = entryTypeFromMode(st->st_mode);
        }
        if (type == EntryType::Dir) {
            isDir = true;
        } else if (type == EntryType::Link) {
            // A link to a folder is browsed as a folder; only links need the stat.
            auto st = statAt(dir, e.name, true);
            isDir = link = st.ok() && S_ISDIR(st->st_mode);
        }
        if (!isDir || !accepts(q, path, e.name, 0, false, addDir)) return true;
        out.push_back({std::string(e.name), link});
        return !stopAtFirst;
    });
    return out;
}

}  // namespace arbel::tree::detail

namespace arbel::tree {

ExpansionRead readExpansion(const ExpansionQuery& query, const CancelToken* cancel) {
    ExpansionRead read;
    auto dir = DirHandle::open(query.path);
    if (!dir.ok()) return read;
    read.readable = true;
    for (auto& found : detail::subfolders(query, query.path, *dir, false, {}, cancel)) {
        ExpandedChild child{std::move(found.name), found.link, found.link};
        if (cancel && cancel->cancelled()) break;
        if (!child.link) {
            // Only one qualifying subfolder is looked for: enough for an expand button.
            auto sub = dir->openChild(child.name);
            if (sub.ok()) {
                std::string childPath = query.path + child.name + "/";
                child.hasSubfolders = !detail::subfolders(query, childPath, *sub, true, {}, cancel).empty();
            }
        }
        read.children.push_back(std::move(child));
    }
    read.cancelled = cancel && cancel->cancelled();
    return read;
}

}  // namespace arbel::tree

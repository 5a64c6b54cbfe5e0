#include "core/shortcuts/shortcut_plan.h"

#include <algorithm>

#include "core/ops/names.h"
#include "platform/dir.h"
#include "platform/fileops.h"
#include "platform/paths.h"

namespace arbel::shortcuts {

std::string proposedCaption(const std::string& itemPath) {
    std::string name = baseName(itemPath);
    if (name == "/" || name.empty()) name = "File System";
    return std::string(kShortcutTo) + name;
}

Result<std::string> shortcutFolder(TShellFolder folder) {
    auto path = shellFolderPath(folder);
    if (!path) return Error{{}, 0, "this desktop has no such folder"};
    if (!isFolder(*path))
        if (Status made = makeDirs(*path); !made) return made.error();
    return *path;
}

Result<std::vector<PlannedShortcut>> planShortcuts(const ShortcutRequest& request) {
    std::vector<PlannedShortcut> out;
    const bool single = request.items.size() == 1;
    if (single) {
        if (std::string bad = ops::checkItemName(request.typedName); !bad.empty())
            return Error{request.typedName, 0, bad};
    }
    for (const std::string& item : request.items) {
        PlannedShortcut p;
        const std::string entry = baseName(item);
        if (single)
            p.name = request.typedName;
        else
            p.name = request.prefix ? std::string(kShortcutTo) + entry : entry;
        p.link.Target = item;
        p.link.Description = item;
        p.link.WorkingDir = request.fromTree ? item : parentPath(item);
        // A typed name may already end in ".desktop"; an entry's own name always
        // gets the extension, so a shortcut never takes its source's name.
        std::string file = joinPath(request.destination, p.name);
        if (!single) file += kShortcutExtension;
        p.link.setFileName(file);
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<std::string> writeShortcuts(const std::vector<PlannedShortcut>& planned) {
    std::vector<std::string> failures;
    for (const PlannedShortcut& p : planned) {
        Status written;
        auto target = statPath(p.link.Target, false);
        auto existing = statPath(p.link.FileName(), false);
        if (target && existing && sameFile(*target, *existing))
            written = Error{p.link.FileName(), 0, "it would replace the item itself"};
        else
            written = p.link.write();
        if (!written) {
            const Error& e = written.error();
            std::string reason = e.code ? errnoText(e.code) : e.message;
            failures.push_back(std::string(kCouldNotCreate) + p.name + ": " + reason);
        }
    }
    return failures;
}

std::vector<std::string> subfolders(const std::string& folder) {
    std::vector<std::string> out;
    auto dir = DirHandle::open(folder);
    if (!dir) return out;
    (void)forEachEntry(*dir, [&](const RawEntry& e) {
        bool isDir = e.type == EntryType::Dir;
        if (e.type == EntryType::Link || e.type == EntryType::Unknown) {
            auto st = statAt(*dir, e.name, true);
            isDir = st && S_ISDIR(st->st_mode);
        }
        if (isDir) out.emplace_back(e.name);
        return true;
    });
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace arbel::shortcuts

#pragma once
// The folder filter the tree applies to every candidate subfolder, shared by its own
// reads (on the interface thread, with the hooks) and the expansion read on a worker.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/tree/tree_expansion.h"
#include "platform/dir.h"

namespace arbel::tree::detail {

using AddDirHook = std::function<bool(const std::string& path)>;

struct FoundFolder {
    std::string name;
    bool link = false;
};

// The attribute word of the folder `name` inside `path` (node form).
uint32_t folderAttributes(const std::string& path, std::string_view name);
// Whether the subfolder `name` of `path` is shown; attr when haveAttr, else read.
bool accepts(const ExpansionQuery& q, const std::string& path, std::string_view name, uint32_t attr,
             bool haveAttr, const AddDirHook& addDir);
// The shown subfolders of `path`, open as `dir`; only the first when stopAtFirst.
std::vector<FoundFolder> subfolders(const ExpansionQuery& q, const std::string& path, const DirHandle& dir,
                                    bool stopAtFirst, const AddDirHook& addDir,
                                    const CancelToken* cancel = nullptr);

}  // namespace arbel::tree::detail

#pragma once
// Icons of file-list entries by content type, cached per type: a folder of
// 100,000 ".txt" files asks the type database once. Files whose icon depends
// on the file itself are never cached by type: programs (executable bits)
// and desktop entries (their own "Icon=" key).

#include "ui/lists/file_list.h"

namespace arbel::ui {

// The icon source every file list of the program uses.
TFileList::IconSource typeIconSource();

// The key the cache files an entry under: "folder", "exec", "desktop" (not
// cached), or the entry's lower-case extension ("" for none).
QString iconCacheKey(const FileEntry& entry, std::string_view name);

}  // namespace arbel::ui

#pragma once
// The list of full paths the next file operation works on, in the order they
// were gathered, and the flag that keeps it after the operation.

#include <string>
#include <vector>

namespace arbel::ops {

struct ItemList {
    std::vector<std::string> items;
    bool keep = false;  // KeepItemList: the operation leaves the list as it was
};

// The process-wide list: dialogs fill it when they open, the drop handler when
// files are dropped, and TShellFileOp consumes it.
ItemList& processItemList();

}  // namespace arbel::ops

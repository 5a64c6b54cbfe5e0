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

// The process-wide list of dropped items: a drop puts its items here and sets
// RefreshSignal::DfDrop; the dialog it opens then takes its items from here
// instead of from a selection (ui/ops/dialog_source.cpp).
ItemList& processItemList();

}  // namespace arbel::ops

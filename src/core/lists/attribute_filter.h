#pragma once
// The one attribute filter, shared by the file windows (which show a set of
// attribute kinds) and the folder tree (which shows folders by attribute, with a
// "normal" kind for folders that have none).

#include <cstdint>

#include "platform/attributes.h"

namespace arbel::lists {

struct AttributeFilter {
    bool all = false;          // everything passes
    uint32_t checked = 0;      // the kAttr* bits the filter looks at
    uint32_t allowed = 0;      // of those, the ones an entry may have
    bool plainAllowed = true;  // an entry with none of `checked` passes
};

// True when the filter lets an entry with these kAttr* bits through: every checked
// attribute it has is allowed, and one with none of them passes when plainAllowed.
bool passesAttributeFilter(uint32_t attributes, const AttributeFilter& filter);

}  // namespace arbel::lists

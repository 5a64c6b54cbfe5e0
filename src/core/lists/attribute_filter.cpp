#include "core/lists/attribute_filter.h"

namespace arbel::lists {

bool passesAttributeFilter(uint32_t attributes, const AttributeFilter& filter) {
    if (filter.all) return true;
    const uint32_t has = attributes & filter.checked;
    if (has & ~filter.allowed) return false;
    return has != 0 || filter.plainAllowed;
}

}  // namespace arbel::lists

#include "core/lists/attribute_filter.h"

#include <gtest/gtest.h>

#include "core/lists/folder_read.h"

namespace arbel::lists {
namespace {

TEST(AttributeFilter, FileWindowsCheckEveryKindAndAlwaysShowPlainEntries) {
    const AttributeFilter f = listAttributeFilter(ftArchive | ftHidden);
    EXPECT_TRUE(passesAttributeFilter(0, f));
    EXPECT_TRUE(passesAttributeFilter(kAttrDirectory, f));  // not an attribute kind
    EXPECT_TRUE(passesAttributeFilter(kAttrHidden | kAttrArchive, f));
    EXPECT_FALSE(passesAttributeFilter(kAttrReadOnly, f));
    EXPECT_FALSE(passesAttributeFilter(kAttrHidden | kAttrSystem, f));  // one kind not allowed
    EXPECT_TRUE(passesAttributeFilter(kAttrSystem | kAttrReadOnly, listAttributeFilter(ftAll)));
}

TEST(AttributeFilter, PlainEntriesNeedTheirOwnPermissionWhenAsked) {
    AttributeFilter f;
    f.checked = kAttrHidden | kAttrSystem;
    f.allowed = kAttrHidden;
    f.plainAllowed = false;
    EXPECT_FALSE(passesAttributeFilter(0, f));
    EXPECT_FALSE(passesAttributeFilter(kAttrReadOnly, f));  // unchecked bits make no entry special
    EXPECT_TRUE(passesAttributeFilter(kAttrHidden | kAttrReadOnly, f));
    EXPECT_FALSE(passesAttributeFilter(kAttrSystem, f));
    f.all = true;
    EXPECT_TRUE(passesAttributeFilter(kAttrSystem, f));
}

}  // namespace
}  // namespace arbel::lists

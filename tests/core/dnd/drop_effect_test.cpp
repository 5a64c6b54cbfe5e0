#include "core/dnd/drop_effect.h"

#include <gtest/gtest.h>

namespace arbel::dnd {
namespace {

constexpr DropEffects C = unsigned(DropEffect::Copy);
constexpr DropEffects M = unsigned(DropEffect::Move);
constexpr DropEffects L = unsigned(DropEffect::Link);

DropEffect effect(DropEffects allowed, bool shift, bool ctrl, bool own = false, bool acceptOwn = false) {
    return dropEffect({allowed, shift, ctrl, own, acceptOwn});
}

TEST(DropEffect, KeysChooseAmongTheAllowedEffects) {
    // The tree window takes copy and move.
    EXPECT_EQ(effect(C | M, false, false), DropEffect::Copy);
    EXPECT_EQ(effect(C | M, true, false), DropEffect::Move);
    EXPECT_EQ(effect(C | M, false, true), DropEffect::Copy);
    // Ctrl+Shift asks for a link; where links are not taken the drop copies.
    EXPECT_EQ(effect(C | M, true, true), DropEffect::Copy);
    EXPECT_EQ(effect(C | M | L, true, true), DropEffect::Link);
    // Shift cannot move what is only offered for copying, nor link for linking.
    EXPECT_EQ(effect(C, true, false), DropEffect::Copy);
    EXPECT_EQ(effect(M, false, false), DropEffect::Move);
    EXPECT_EQ(effect(L, false, false), DropEffect::Link);
    EXPECT_EQ(effect(0, true, false), DropEffect::None);
}

TEST(DropEffect, OwnDragsOnlyWhereTheTargetTakesThem) {
    EXPECT_EQ(effect(C | M, false, false, true, false), DropEffect::None);
    EXPECT_EQ(effect(C | M, true, false, true, false), DropEffect::None);
    EXPECT_EQ(effect(C | M, true, false, true, true), DropEffect::Move);
    EXPECT_EQ(effect(C | M, false, false, false, false), DropEffect::Copy);
}

TEST(DropEffect, DragResultTellsNotStartedCancelledAndDropped) {
    EXPECT_EQ(dragResult(0, C, DropEffect::Copy), DragResult::NotStarted);
    EXPECT_EQ(dragResult(3, C, DropEffect::None), DragResult::Cancelled);
    EXPECT_EQ(dragResult(3, C, DropEffect::Copy), DragResult::Dropped);
    // A target that moved what was only offered for copying did not take the offer.
    EXPECT_EQ(dragResult(3, C, DropEffect::Move), DragResult::Cancelled);
}

}  // namespace
}  // namespace arbel::dnd

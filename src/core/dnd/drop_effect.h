#pragma once
// What a drop does with the files: the effect chosen while a drag moves over a
// target and when it is dropped, from the effects the target takes, the ones the
// drag offers, the keys held and whether the drag started at this target.

#include <cstddef>

namespace arbel::dnd {

enum class DropEffect : unsigned { None = 0, Copy = 1, Move = 2, Link = 4 };

// A set of effects as a mask of DropEffect bits.
using DropEffects = unsigned;
constexpr DropEffects kCopyMove = unsigned(DropEffect::Copy) | unsigned(DropEffect::Move);
constexpr DropEffects kAllEffects = kCopyMove | unsigned(DropEffect::Link);

struct DropQuery {
    DropEffects allowed = 0;  // taken by the target and offered by the drag
    bool shift = false;
    bool ctrl = false;
    bool ownDrag = false;    // the drag was started by this same target
    bool acceptOwn = false;  // the target takes its own drags
};

// Own drags are refused unless the target takes them; Shift alone moves, Ctrl with
// Shift links, each when allowed; otherwise the first allowed of copy, move, link.
DropEffect dropEffect(const DropQuery& query);

// The outcome of starting a drag: not started (nothing to drag), cancelled or
// refused by the target, or dropped with an effect the drag offered.
enum class DragResult { NotStarted = 0, Cancelled = 1, Dropped = 2 };
DragResult dragResult(std::size_t paths, DropEffects offered, DropEffect performed);

}  // namespace arbel::dnd

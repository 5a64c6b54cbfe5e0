#include "core/dnd/drop_effect.h"

#include <initializer_list>

namespace arbel::dnd {

namespace {

bool has(DropEffects set, DropEffect e) {
    return (set & unsigned(e)) != 0;
}

}  // namespace

DropEffect dropEffect(const DropQuery& q) {
    if (q.ownDrag && !q.acceptOwn) return DropEffect::None;
    if (q.shift && !q.ctrl && has(q.allowed, DropEffect::Move)) return DropEffect::Move;
    if (q.shift && q.ctrl && has(q.allowed, DropEffect::Link)) return DropEffect::Link;
    for (DropEffect e : {DropEffect::Copy, DropEffect::Move, DropEffect::Link}) {
        if (has(q.allowed, e)) return e;
    }
    return DropEffect::None;
}

DragResult dragResult(std::size_t paths, DropEffects offered, DropEffect performed) {
    if (paths == 0) return DragResult::NotStarted;
    return has(offered, performed) ? DragResult::Dropped : DragResult::Cancelled;
}

}  // namespace arbel::dnd

#pragma once
// Undoing one journal entry with the engine's guarantees: a copy goes only while
// it is exactly as made and its original is still there unchanged (else it may be
// the only one left); what moved or was renamed goes back without replacing
// anything that stands at the old place now; a new folder goes only while empty;
// a trashed item comes back from the trash and its record goes only after that;
// attributes and times are set back. Nothing is deleted for good that exists only
// once. Whatever cannot be undone is kept and reported by name with the reason.

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "core/ops/after_effects.h"
#include "core/ops/undo_journal.h"
#include "platform/cancel.h"

namespace arbel::ops {

struct UndoKept {
    std::string path;
    std::string reason;
};

struct UndoReport {
    std::vector<UndoKept> kept;  // not undone: name and reason, in the order met
    size_t undone = 0;           // steps done
    bool cancelled = false;
    std::vector<UndoStep> notReached;  // a cancel stopped the undo before these
    AfterEffects effects;              // for the tree and the windows, as after the operation
};

struct UndoProgress {
    std::atomic<size_t> done{0};
    std::atomic<size_t> total{0};
};

// Runs on any thread.
UndoReport undoEntry(const UndoEntry& entry, const CancelToken& cancel, UndoProgress* progress = nullptr);

}  // namespace arbel::ops

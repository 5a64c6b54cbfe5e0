#pragma once
// The journal of what the file commands did, so that each can be undone. An
// entry is built from the job's own per-item record (what it created with its
// identity at creation, what it moved or renamed, where the trash put an item,
// the attributes before a change), never by looking at the disk afterwards. The
// journal keeps the last kCapacity entries while the program runs.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ops/attrib_edit.h"
#include "core/ops/file_operation.h"

namespace arbel::ops {

enum class UndoKind { Copy, Move, Rename, CaseChange, NewFolder, Recycle, Attributes };

// One thing to reverse.
struct UndoStep {
    enum class Type {
        RemoveCopy,    // made: remove it while it is exactly as the copy made it
        MoveBack,      // path -> original, never replacing what stands there
        RenameBack,    // path -> original in the same folder
        RemoveFolder,  // path, while it is empty
        Restore,       // trashed -> path
        Attributes,    // attrib: set back
        Note,          // nothing to do; `note` says what cannot come back
    };
    Type type = Type::Note;
    std::string path;      // where the item is now (Restore: where it was trashed from)
    std::string original;  // MoveBack, RenameBack: where it was
    bool folder = false;
    bool merged = false;  // MoveBack: it went into a folder that stood there
    MadeEntry made;
    TrashedItem trashed;
    AttribOutcome attrib;
    std::string note;
};

struct UndoEntry {
    uint64_t id = 0;
    UndoKind kind = UndoKind::Copy;
    std::string description;  // "Copy of 3 items to /home/ann/x"
    std::vector<UndoStep> steps;
    std::vector<std::string> touched;  // the paths it changed (for the order of undos)
};

// "Copy of 3 items to /x", "Rename of a to b", ... (paths as bytes).
std::string describeEntry(UndoKind kind, const std::vector<std::string>& items, const std::string& target);

class UndoJournal {
public:
    static constexpr size_t kCapacity = 100;

    // Copy, move and recycle (a delete for good has nothing to undo). Entries
    // with nothing done are not kept.
    void recordOperation(const OperationResult& result);
    // Renames (one item, or the names a change of case renamed), each from -> to.
    void recordRenames(UndoKind kind, const std::vector<std::pair<std::string, std::string>>& renames,
                       const std::vector<bool>& folders);
    void recordNewFolder(const std::vector<std::string>& made);
    void recordAttributes(const AttribRun& run);

    const std::deque<UndoEntry>& entries() const { return entries_; }  // oldest first
    const UndoEntry* newest() const { return entries_.empty() ? nullptr : &entries_.back(); }
    const UndoEntry* find(uint64_t id) const;
    // Why the entry cannot be undone now: a newer entry touches its paths (it
    // must be undone first). Empty when it can.
    std::string refusal(uint64_t id) const;
    // Takes the entry out for its undo.
    std::optional<UndoEntry> take(uint64_t id);
    // Puts back what an interrupted undo did not reach, in its place by age.
    void putBack(UndoEntry entry);

private:
    void add(UndoEntry entry);
    std::deque<UndoEntry> entries_;
    uint64_t nextId_ = 1;
};

}  // namespace arbel::ops

#pragma once
// Changing the attribute flags and the modification time of a set of items:
// what the attributes dialog shows for them (each flag checked, mixed or
// unchecked), how its boxes answer a click, and the change itself, item by item
// with a result for each.
//
// Flags: read-only is the write permission (set: every write bit cleared; clear:
// the owner's set), hidden is a leading "." (shown, never changed here: that is
// a rename), system and archive live in "user.DOSATTRIB" (other bits there are
// kept). The time goes to files only, never to folders.

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/attributes.h"
#include "platform/file_info.h"
#include "platform/result.h"

namespace arbel::ops {

enum class BoxState { Unchecked, Mixed, Checked };

// The four boxes in the dialog's order.
enum AttribBox { kBoxReadOnly, kBoxArchive, kBoxSystem, kBoxHidden, kBoxCount };
inline constexpr std::array<uint32_t, kBoxCount> kBoxFlag = {kAttrReadOnly, kAttrArchive, kAttrSystem,
                                                             kAttrHidden};

using Boxes = std::array<BoxState, kBoxCount>;

struct AttribItem {
    std::string path;
    bool isFolder = false;    // a folder, or a link to one
    uint32_t attributes = 0;  // the attribute word as shown
    bool userXattrs = true;   // its file system keeps user extended attributes
    Timestamp modified;
};

// What the dialog shows when it opens.
struct AttribView {
    std::vector<AttribItem> items;  // the items that exist, in the given order
    Boxes boxes{};
    // Boxes the user may change: hidden never; system and archive only when every
    // item's file system keeps user extended attributes.
    std::array<bool, kBoxCount> enabled{};
    bool hasFile = false;  // some item takes a time (the time controls are on)
    // One item, a file: its modification time fills the field.
    std::optional<Timestamp> singleFileTime;
};

// Reads the items (links followed; names that exist as neither file nor folder
// are left out).
AttribView readAttribView(const std::vector<std::string>& paths);

// Checked when every item has the flag, mixed when some do, else unchecked.
BoxState aggregate(bool someHave, bool someLack);

// A mouse click: unchecked -> checked, checked -> unchecked, mixed -> unchecked.
// The mouse never produces mixed.
BoxState clickBox(BoxState state);

// The attribute word an item gets: the checked flags, plus those of the mixed
// flags that the item has now.
uint32_t plannedAttributes(const Boxes& boxes, uint32_t current);

// Which step failed for an item.
enum class ItemStep { None, Time, Attributes };

// One item's change. The state before is kept so that the change can be undone.
struct AttribOutcome {
    std::string path;
    bool isFolder = false;
    // Before the change.
    mode_t modeBefore = 0;  // permission bits
    StoredDosAttrib dosBefore;
    Timestamp accessedBefore, modifiedBefore;
    uint32_t attributesBefore = 0;
    // What was done.
    bool timeSet = false;
    Timestamp modifiedAfter;  // the time it has now (the set one, or as before)
    bool modeChanged = false;
    bool dosChanged = false;
    uint32_t attributesAfter = 0;
    ItemStep failed = ItemStep::None;
    Error error;  // path and system reason when failed != None
};

struct AttribRequest {
    Boxes boxes{};
    std::optional<Timestamp> modified;  // nothing: times stay
};

struct AttribRun {
    std::vector<AttribOutcome> items;  // in order, up to and including a time failure
    // A time could not be set: the run ended at that item (the last one here).
    bool stoppedOnTime = false;
};

// Applies the request to the items in order. A failed time ends the run; a
// failed attribute change is recorded and the next item is done.
AttribRun applyAttributes(const std::vector<std::string>& paths, const AttribRequest& request);

// Puts an item back as `outcome` found it (its times, permission bits and stored
// word), for undo.
Status restoreAttributes(const AttribOutcome& outcome);

}  // namespace arbel::ops

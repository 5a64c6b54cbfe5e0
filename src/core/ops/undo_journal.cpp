#include "core/ops/undo_journal.h"

#include <algorithm>

#include "platform/paths.h"

namespace arbel::ops {

namespace {

std::string itemsText(const std::vector<std::string>& items) {
    if (items.size() == 1) return baseName(items.front());
    return std::to_string(items.size()) + " items";
}

bool overlaps(const std::string& a, const std::string& b) {
    return isSameOrBelow(a, b) || isSameOrBelow(b, a);
}

UndoStep note(std::string path, std::string why) {
    UndoStep s;
    s.type = UndoStep::Type::Note;
    s.path = std::move(path);
    s.note = std::move(why);
    return s;
}

constexpr const char* kReplacedNote = "It replaced a file of that name, which cannot be brought back";

}  // namespace

std::string describeEntry(UndoKind kind, const std::vector<std::string>& items, const std::string& target) {
    switch (kind) {
        case UndoKind::Copy:
            return "Copy of " + itemsText(items) + " to " + target;
        case UndoKind::Move:
            return "Move of " + itemsText(items) + " to " + target;
        case UndoKind::Rename:
            return "Rename of " + itemsText(items) + " to " + target;
        case UndoKind::CaseChange:
            return "Change of Case of " + itemsText(items);
        case UndoKind::NewFolder:
            return "New Folder " + target;
        case UndoKind::Recycle:
            return "Recycle of " + itemsText(items);
        case UndoKind::Attributes:
            return "Attribute Change of " + itemsText(items);
    }
    return {};
}

void UndoJournal::recordOperation(const OperationResult& result) {
    UndoEntry e;
    std::vector<std::string> items;
    switch (result.operation) {
        case Operation::Delete:
            return;
        case Operation::Copy:
            e.kind = UndoKind::Copy;
            for (const ItemResult& item : result.items) {
                bool any = !item.made.empty() || !item.replaced.empty();
                for (const MadeEntry& m : item.made) {
                    UndoStep s;
                    s.type = UndoStep::Type::RemoveCopy;
                    s.path = m.path;
                    s.folder = m.folder;
                    s.made = m;
                    e.steps.push_back(std::move(s));
                }
                for (const std::string& r : item.replaced) e.steps.push_back(note(r, kReplacedNote));
                if (any) {
                    items.push_back(item.target);
                    e.touched.push_back(item.target);
                }
            }
            break;
        case Operation::Move:
            e.kind = UndoKind::Move;
            for (const ItemResult& item : result.items) {
                if (item.outcome != Outcome::Done) continue;
                UndoStep s;
                s.type = UndoStep::Type::MoveBack;
                s.path = item.target;
                s.original = item.source;
                s.folder = item.targetFolder;
                s.merged = item.merged;
                e.steps.push_back(std::move(s));
                for (const std::string& r : item.replaced) e.steps.push_back(note(r, kReplacedNote));
                items.push_back(item.source);
                e.touched.push_back(item.source);
                e.touched.push_back(item.target);
            }
            break;
        case Operation::Recycle:
            e.kind = UndoKind::Recycle;
            for (const ItemResult& item : result.items) {
                if (item.outcome != Outcome::Done || !item.sourceGone) continue;
                if (item.trashed.filesPath.empty()) {
                    e.steps.push_back(note(item.source, "It is not in the trash"));
                } else {
                    UndoStep s;
                    s.type = UndoStep::Type::Restore;
                    s.path = item.source;
                    s.trashed = item.trashed;
                    e.steps.push_back(std::move(s));
                }
                items.push_back(item.source);
                e.touched.push_back(item.source);
            }
            break;
    }
    if (e.steps.empty()) return;
    e.description = describeEntry(e.kind, items, result.targetFolder);
    add(std::move(e));
}

void UndoJournal::recordRenames(UndoKind kind,
                                const std::vector<std::pair<std::string, std::string>>& renames,
                                const std::vector<bool>& folders) {
    UndoEntry e;
    e.kind = kind;
    std::vector<std::string> items;
    for (size_t i = 0; i < renames.size(); ++i) {
        const auto& [from, to] = renames[i];
        if (from == to) continue;
        UndoStep s;
        s.type = UndoStep::Type::RenameBack;
        s.path = to;
        s.original = from;
        s.folder = i < folders.size() && folders[i];
        e.steps.push_back(std::move(s));
        items.push_back(from);
        e.touched.push_back(from);
        e.touched.push_back(to);
    }
    if (e.steps.empty()) return;
    e.description = describeEntry(kind, items, items.size() == 1 ? baseName(renames.front().second) : "");
    add(std::move(e));
}

void UndoJournal::recordNewFolder(const std::vector<std::string>& made) {
    if (made.empty()) return;
    UndoEntry e;
    e.kind = UndoKind::NewFolder;
    for (const std::string& m : made) {
        UndoStep s;
        s.type = UndoStep::Type::RemoveFolder;
        s.path = m;
        s.folder = true;
        e.steps.push_back(std::move(s));
    }
    e.touched.push_back(made.front());
    e.description = describeEntry(e.kind, made, made.back());
    add(std::move(e));
}

void UndoJournal::recordAttributes(const AttribRun& run) {
    UndoEntry e;
    e.kind = UndoKind::Attributes;
    std::vector<std::string> items;
    for (const AttribOutcome& o : run.items) {
        if (!o.timeSet && !o.modeChanged && !o.dosChanged) continue;
        UndoStep s;
        s.type = UndoStep::Type::Attributes;
        s.path = o.path;
        s.folder = o.isFolder;
        s.attrib = o;
        e.steps.push_back(std::move(s));
        items.push_back(o.path);
        e.touched.push_back(o.path);
    }
    if (e.steps.empty()) return;
    e.description = describeEntry(e.kind, items, {});
    add(std::move(e));
}

void UndoJournal::add(UndoEntry entry) {
    entry.id = nextId_++;
    entries_.push_back(std::move(entry));
    while (entries_.size() > kCapacity) entries_.pop_front();
}

const UndoEntry* UndoJournal::find(uint64_t id) const {
    for (const UndoEntry& e : entries_)
        if (e.id == id) return &e;
    return nullptr;
}

std::string UndoJournal::refusal(uint64_t id) const {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const UndoEntry& e) { return e.id == id; });
    if (it == entries_.end()) return "It is no longer in the history.";
    for (auto later = std::next(it); later != entries_.end(); ++later)
        for (const std::string& a : it->touched)
            for (const std::string& b : later->touched)
                if (overlaps(a, b))
                    return "\"" + later->description + "\" changed the same items later; undo it first.";
    return {};
}

std::optional<UndoEntry> UndoJournal::take(uint64_t id) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const UndoEntry& e) { return e.id == id; });
    if (it == entries_.end()) return std::nullopt;
    UndoEntry e = std::move(*it);
    entries_.erase(it);
    return e;
}

void UndoJournal::putBack(UndoEntry entry) {
    if (entry.steps.empty()) return;
    auto it =
        std::find_if(entries_.begin(), entries_.end(), [&](const UndoEntry& e) { return e.id > entry.id; });
    entries_.insert(it, std::move(entry));
}

}  // namespace arbel::ops

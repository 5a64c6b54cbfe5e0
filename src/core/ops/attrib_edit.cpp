#include "core/ops/attrib_edit.h"

#include <sys/stat.h>

#include "platform/paths.h"

namespace arbel::ops {

namespace {

constexpr uint32_t kStoredFlags = kAttrSystem | kAttrArchive;

struct Current {
    FileInfo info;
    StoredDosAttrib dos;
    uint32_t attributes = 0;
};

// The item as it is now; an error when it cannot be read.
Result<Current> readCurrent(const std::string& path) {
    Result<FileInfo> info = fileInfo(path);
    if (!info) return info.error();
    Current c;
    c.info = *info;
    c.dos = readDosAttrib(path);
    struct stat st {};
    st.st_mode = c.info.mode;
    c.attributes = attributesOf(st, baseName(path), c.dos.present ? c.dos.bits : 0);
    return c;
}

bool existsAsFileOrFolder(const FileInfo& info) {
    return !info.dangling;
}

}  // namespace

BoxState aggregate(bool someHave, bool someLack) {
    if (!someHave) return BoxState::Unchecked;
    return someLack ? BoxState::Mixed : BoxState::Checked;
}

BoxState clickBox(BoxState state) {
    return state == BoxState::Unchecked ? BoxState::Checked : BoxState::Unchecked;
}

uint32_t plannedAttributes(const Boxes& boxes, uint32_t current) {
    uint32_t out = 0;
    for (int b = 0; b < kBoxCount; ++b) {
        const uint32_t flag = kBoxFlag[static_cast<std::size_t>(b)];
        switch (boxes[static_cast<std::size_t>(b)]) {
            case BoxState::Checked:
                out |= flag;
                break;
            case BoxState::Mixed:
                out |= current & flag;
                break;
            case BoxState::Unchecked:
                break;
        }
    }
    // Hidden is the name's leading ".", the directory flag the kernel's: neither
    // is changed here whatever the boxes say.
    out = (out & ~static_cast<uint32_t>(kAttrHidden)) | (current & (kAttrHidden | kAttrDirectory));
    return out;
}

AttribView readAttribView(const std::vector<std::string>& paths) {
    AttribView v;
    std::array<bool, kBoxCount> have{}, lack{};
    bool allXattrs = true;
    for (const std::string& path : paths) {
        Result<Current> c = readCurrent(path);
        if (!c || !existsAsFileOrFolder(c->info)) continue;
        AttribItem item;
        item.path = path;
        item.isFolder = S_ISDIR(c->info.mode);
        item.attributes = c->attributes;
        item.userXattrs = c->dos.supported;
        item.modified = c->info.modified;
        if (!item.isFolder) v.hasFile = true;
        if (!item.userXattrs) allXattrs = false;
        for (std::size_t b = 0; b < kBoxCount; ++b) {
            if (item.attributes & kBoxFlag[b])
                have[b] = true;
            else
                lack[b] = true;
        }
        v.items.push_back(std::move(item));
    }
    for (std::size_t b = 0; b < kBoxCount; ++b) v.boxes[b] = aggregate(have[b], lack[b]);
    const bool any = !v.items.empty();
    v.enabled[kBoxReadOnly] = any;
    v.enabled[kBoxArchive] = any && allXattrs;
    v.enabled[kBoxSystem] = any && allXattrs;
    v.enabled[kBoxHidden] = false;
    if (v.items.size() == 1 && !v.items.front().isFolder) v.singleFileTime = v.items.front().modified;
    return v;
}

AttribRun applyAttributes(const std::vector<std::string>& paths, const AttribRequest& request) {
    AttribRun run;
    for (const std::string& path : paths) {
        AttribOutcome out;
        out.path = path;
        Result<Current> c = readCurrent(path);
        if (!c) {
            out.failed = ItemStep::Attributes;
            out.error = c.error();
            run.items.push_back(std::move(out));
            continue;
        }
        out.isFolder = S_ISDIR(c->info.mode);
        out.modeBefore = c->info.mode & 07777;
        out.dosBefore = c->dos;
        out.accessedBefore = c->info.accessed;
        out.modifiedBefore = c->info.modified;
        out.modifiedAfter = c->info.modified;
        out.attributesBefore = c->attributes;
        out.attributesAfter = c->attributes;

        if (request.modified && !out.isFolder) {
            if (Status s = setModifiedTime(path, *request.modified); !s) {
                out.failed = ItemStep::Time;
                out.error = s.error();
                run.items.push_back(std::move(out));
                run.stoppedOnTime = true;
                return run;
            }
            out.timeSet = true;
            out.modifiedAfter = *request.modified;
        }

        const uint32_t planned = plannedAttributes(request.boxes, c->attributes);
        const uint32_t changed = planned ^ c->attributes;
        auto fail = [&](const Error& e) {
            if (out.failed != ItemStep::None) return;  // the first failure is the one named
            out.failed = ItemStep::Attributes;
            out.error = e;
        };
        auto changeMode = [&] {
            if (!(changed & kAttrReadOnly)) return;
            if (Status s = setReadOnly(path, planned & kAttrReadOnly); !s) return fail(s.error());
            out.modeChanged = true;
            out.attributesAfter ^= kAttrReadOnly;
        };
        auto changeStored = [&] {
            if (!(changed & kStoredFlags)) return;
            Status s = c->dos.supported ? writeDosAttrib(path, planned, kStoredFlags)
                                        : Status(errnoError(path, ENOTSUP));
            if (!s) return fail(s.error());
            out.dosChanged = true;
            out.attributesAfter = (out.attributesAfter & ~kStoredFlags) | (planned & kStoredFlags);
        };
        // Writing user extended attributes needs write permission, which an
        // owner loses with read-only: the stored word goes first when read-only
        // is being set, last when it is being cleared. One failing does not
        // keep the other from being tried.
        if (planned & kAttrReadOnly) {
            changeStored();
            changeMode();
        } else {
            changeMode();
            changeStored();
        }
        run.items.push_back(std::move(out));
    }
    return run;
}

Status restoreAttributes(const AttribOutcome& o) {
    // The same order as the change: the stored word while the item is writable.
    const bool wasWritable = (o.modeBefore & S_IWUSR) != 0;
    if (o.modeChanged && wasWritable) {
        if (Status s = setMode(o.path, o.modeBefore); !s) return s;
    }
    if (o.dosChanged) {
        Status s = writeDosAttrib(o.path, o.dosBefore.present ? o.dosBefore.bits : 0, 0xFFFFFFFFu);
        if (!s) return s;
    }
    if (o.modeChanged && !wasWritable) {
        if (Status s = setMode(o.path, o.modeBefore); !s) return s;
    }
    if (o.timeSet) return setTimes(o.path, o.accessedBefore, o.modifiedBefore);
    return {};
}

}  // namespace arbel::ops

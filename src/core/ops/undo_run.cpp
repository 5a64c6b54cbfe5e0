#include "core/ops/undo_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include "core/ops/names.h"
#include "platform/fileops.h"
#include "platform/paths.h"

namespace arbel::ops {

namespace {

std::string reasonOf(const Error& e) {
    if (!e.message.empty()) return e.message;
    return errnoText(e.code);
}

// A move back across file systems goes through the engine, which never replaces
// and never makes a folder here: the checks before it already said the old place
// is free.
class MoveBackQuestions : public OperationQuestions {
public:
    Answer replaceExisting(const std::string&, const std::string&) override { return Answer::No; }
    bool createTargetFolder(const std::string&) override { return false; }
    Answer confirmDelete(const std::string&, bool) override { return Answer::No; }
    Answer deletePermanently(const std::string&, const Error&) override { return Answer::No; }
    ErrorAnswer onError(const Error&) override { return ErrorAnswer::Skip; }
};

class Undoer {
public:
    explicit Undoer(UndoReport& report) : r_(report) {}

    void run(const UndoStep& s, const CancelToken& cancel) {
        switch (s.type) {
            case UndoStep::Type::RemoveCopy:
                return removeCopy(s);
            case UndoStep::Type::MoveBack:
                return moveBack(s, cancel);
            case UndoStep::Type::RenameBack:
                return renameBack(s);
            case UndoStep::Type::RemoveFolder:
                return removeFolder(s);
            case UndoStep::Type::Restore:
                return restore(s);
            case UndoStep::Type::Attributes:
                return attributes(s);
            case UndoStep::Type::Note:
                return keep(s.path, s.note);
        }
    }

private:
    UndoReport& r_;

    void keep(const std::string& path, std::string reason) { r_.kept.push_back({path, std::move(reason)}); }
    void done() { ++r_.undone; }
    std::set<std::string> refreshed_;
    void refresh(const std::string& folder) {
        if (refreshed_.insert(folder).second) r_.effects.refresh.push_back(folder);
    }
    void went(const std::string& path) {
        r_.effects.treeRemove.push_back(path);
        r_.effects.gone.push_back(path);
        refresh(parentPath(path));
    }
    // Something below `folder` was kept already (and said so).
    bool keptBelow(const std::string& folder) const {
        for (const UndoKept& k : r_.kept)
            if (isSameOrBelow(k.path, folder)) return true;
        return false;
    }
    void folderNotEmpty(const std::string& path, const char* why) {
        if (!keptBelow(path)) keep(path, why);
    }

    void removeCopy(const UndoStep& s) {
        struct stat st;
        if (::lstat(s.path.c_str(), &st) != 0) return done();  // gone already
        const FileStamp now = FileStamp::of(st);
        if (s.made.folder) {
            if (now.dev != s.made.made.dev || now.ino != s.made.made.ino)
                return keep(s.path, "It is not the folder the copy made");
            if (::rmdir(s.path.c_str()) == 0) return went(s.path), done();
            int err = errno;
            if (err == ENOTEMPTY || err == EEXIST)
                return folderNotEmpty(s.path, "It holds items that were not part of the copy");
            return keep(s.path, errnoText(err));
        }
        if (!(now == s.made.made)) return keep(s.path, "It was changed after it was copied");
        // Removing a copy loses nothing only while its original is still as copied.
        struct stat src;
        if (::lstat(s.made.source.c_str(), &src) != 0 || !(FileStamp::of(src) == s.made.sourceStamp))
            return keep(s.path, "Its original has changed or is gone, so this copy may be the only one");
        if (::unlink(s.path.c_str()) != 0) return keep(s.path, errnoText(errno));
        went(s.path);
        done();
    }

    void moveBack(const UndoStep& s, const CancelToken& cancel) {
        if (s.merged)
            return keep(
                s.path,
                "It was moved into a folder that was already there, and its items mix with that folder's");
        struct stat st;
        if (::lstat(s.path.c_str(), &st) != 0) return keep(s.path, "It is no longer there");
        if (::lstat(s.original.c_str(), &st) == 0)
            return keep(s.original, "Something else now stands at its old place");
        const std::string oldFolder = parentPath(s.original);
        if (::stat(oldFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return keep(s.original, "The folder it came from is gone");
        Status moved = renameNoReplace(s.path, s.original);
        if (!moved.ok() && moved.error().code == EXDEV) {
            FileOperation back(Operation::Move, {s.path}, oldFolder);
            back.setTargetName(0, baseName(s.original));
            MoveBackQuestions q;
            OperationResult res = back.run(q, cancel);
            if (res.items.empty() || res.items[0].outcome != Outcome::Done) {
                std::vector<Error> errors = res.errors();
                return keep(s.path,
                            errors.empty() ? std::string("It could not be moved back") : reasonOf(errors[0]));
            }
        } else if (!moved.ok()) {
            if (moved.error().code == EEXIST)
                return keep(s.original, "Something else now stands at its old place");
            return keep(s.path, reasonOf(moved.error()));
        }
        went(s.path);
        if (s.folder) r_.effects.treeAdd.push_back(s.original);
        refresh(oldFolder);
        done();
    }

    void renameBack(const UndoStep& s) {
        struct stat st;
        if (::lstat(s.path.c_str(), &st) != 0) return keep(s.path, "It is no longer there");
        RenameResult back = renameItem(s.path, baseName(s.original));
        if (!back.renamed) {
            if (back.message == kNameInUse)
                return keep(s.path, "Something else now has the name " + baseName(s.original));
            return keep(s.path,
                        back.error.code || !back.error.message.empty() ? reasonOf(back.error) : back.message);
        }
        if (back.wasFolder) r_.effects.renamed.push_back({s.path, s.original});
        refresh(parentPath(s.path));
        done();
    }

    void removeFolder(const UndoStep& s) {
        if (::rmdir(s.path.c_str()) == 0) return went(s.path), done();
        int err = errno;
        if (err == ENOENT) return done();
        if (err == ENOTEMPTY || err == EEXIST) return folderNotEmpty(s.path, "It is no longer empty");
        keep(s.path, errnoText(err));
    }

    void restore(const UndoStep& s) {
        Status back = restoreFromTrash(s.trashed, s.path);
        if (!back.ok()) return keep(s.path, reasonOf(back.error()));
        struct stat st;
        if (::lstat(s.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) r_.effects.treeAdd.push_back(s.path);
        refresh(parentPath(s.path));
        done();
    }

    void attributes(const UndoStep& s) {
        Status back = restoreAttributes(s.attrib);
        if (!back.ok()) return keep(s.path, reasonOf(back.error()));
        refresh(parentPath(s.path));
        done();
    }
};

}  // namespace

UndoReport undoEntry(const UndoEntry& entry, const CancelToken& cancel, UndoProgress* progress) {
    UndoReport report;
    Undoer undoer(report);
    if (progress) progress->total = entry.steps.size();
    // Newest first: the contents of a copied folder before the folder, the last
    // rename of a series before the earlier ones.
    for (size_t i = entry.steps.size(); i-- > 0;) {
        if (cancel.cancelled()) {
            report.cancelled = true;
            report.notReached.assign(entry.steps.begin(), entry.steps.begin() + std::ptrdiff_t(i + 1));
            break;
        }
        undoer.run(entry.steps[i], cancel);
        if (progress) ++progress->done;
    }
    return report;
}

}  // namespace arbel::ops

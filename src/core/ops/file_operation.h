#pragma once
// The file-operation engine: copy, move, delete and recycle of a list of items.
// A job: construct it, plan() (totals and refusals), then run() on any thread. It
// never shows anything; it asks through OperationQuestions and reports per item.
//
// What it guarantees:
// - a copied file is written into an anonymous file beside its target (a hidden
//   temporary name where the file system has none) and given its name only when
//   complete, so a cancel, failure or crash never leaves a partial target and never
//   damages a target that existed; holes of sparse files stay holes; a file written
//   to while it is copied is copied again;
// - a target that exists is replaced only after the user agreed (or the job was told
//   to replace without asking), never by a rename that happens to replace;
// - copy or move of an item onto itself or into its own subtree is refused;
// - a move is a rename on one file system; across file systems it copies, checks,
//   flushes and then deletes only the source entries that were copied whole and
//   are unchanged; an item part of which could not be copied stays whole in the
//   source (what was copied of it is removed again);
// - recursive delete works on directory handles, removes links rather than
//   following them, and never enters another mounted file system;
// - every failure is reported with the path and the system's reason.

#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/cancel.h"
#include "platform/result.h"
#include "platform/trash.h"

namespace arbel::ops {

enum class Operation { Copy, Move, Delete, Recycle };

// Answers to a yes/no question about one item, with "for all" variants.
// KeepBoth: the incoming file takes the first free "name (2).ext" beside the
// existing one.
enum class Answer { Yes, YesToAll, No, NoToAll, Cancel, KeepBoth, KeepBothToAll };
enum class ErrorAnswer { Retry, Skip, Abort };

// The questions the job may ask while it runs. Called on the job's thread.
class OperationQuestions {
public:
    virtual ~OperationQuestions() = default;
    // `target` exists: replace it with `source`? (Yes = replace, No = skip)
    virtual Answer replaceExisting(const std::string& source, const std::string& target) = 0;
    // The target folder does not exist: create it (with its missing parents)?
    virtual bool createTargetFolder(const std::string& folder) = 0;
    // Confirmations on: delete (or recycle) this item?
    virtual Answer confirmDelete(const std::string& item, bool recycle) = 0;
    // The item cannot go to the trash (why says so): delete it permanently instead?
    virtual Answer deletePermanently(const std::string& item, const Error& why) = 0;
    // Something failed: try again, skip this entry, or stop the whole job.
    virtual ErrorAnswer onError(const Error& error) = 0;
    // After every block of data and every file; for callers that want pushes rather
    // than polling progress().
    virtual void onProgress(uint64_t bytesDone, uint64_t filesDone) {
        (void)bytesDone;
        (void)filesDone;
    }
};

struct OperationOptions {
    bool noConfirmation = false;     // replace existing targets and delete without asking
    bool autoMakeDir = false;        // create a missing target folder without asking
    bool renameOnCollision = false;  // copy onto an existing name as "name (2)"
};

enum class Outcome { Done, Skipped, Failed, NotDone };

// What identifies a file's state: the same object, not written since.
struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    int64_t size = 0;
    struct timespec mtime {};

    static FileStamp of(const struct stat& st);
    bool operator==(const FileStamp& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

// One entry a copy created (never one it replaced), as it was when made, with the
// source it was made from as the copy read it.
struct MadeEntry {
    std::string path;
    bool folder = false;
    FileStamp made;
    std::string source;
    FileStamp sourceStamp;
};

struct ItemResult {
    std::string source;
    std::string target;  // copy and move: where the item went (or was to go)
    Outcome outcome = Outcome::NotDone;
    std::vector<Error> errors;  // every failure met while working on this item
    // What the job saw, so that no one has to look at the disk again afterwards:
    bool sourceGone = false;    // nothing is left at `source` when the job ended
    bool targetFolder = false;  // copy and move: a folder stands at `target` when the job ended
    // For undo, recorded as the job went:
    std::vector<MadeEntry> made;        // copy: what it created, folders before their contents
    std::vector<std::string> replaced;  // copy and move: targets it replaced (their content is gone)
    bool merged = false;                // move: went into a folder that stood at the target
    TrashedItem trashed;                // recycle: where it lies in the trash
};

struct OperationResult {
    Operation operation = Operation::Copy;
    std::string targetFolder;  // copy and move
    bool aborted = false;      // the user stopped the job (cancel, or Cancel/Abort in a question)
    std::vector<ItemResult> items;

    bool allDone() const;
    std::vector<Error> errors() const;
};

struct Progress {
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
    uint64_t filesDone = 0;
    uint64_t filesTotal = 0;  // 0 when unknown (delete does not count ahead)
    std::string current;      // the entry being worked on
};

class FileOperation {
public:
    // items: full paths; targetFolder: for copy and move.
    FileOperation(Operation op, std::vector<std::string> items, std::string targetFolder = {},
                  OperationOptions options = {});
    ~FileOperation();
    FileOperation(const FileOperation&) = delete;
    FileOperation& operator=(const FileOperation&) = delete;

    // Copy or move of the item at `index` to targetFolder/name instead of its own
    // name; the other items keep theirs.
    void setTargetName(size_t index, std::string name);

    // Walks the sources (without following links) to count files and bytes. Run
    // calls it when it was not called before.
    void plan();
    void plan(const CancelToken& cancel);  // stops walking when cancelled
    OperationResult run(OperationQuestions& questions, const CancelToken& cancel);

    // Safe to call from another thread while run() works.
    Progress progress() const;

    Operation operation() const { return op_; }
    const std::vector<std::string>& items() const { return items_; }
    const std::string& targetFolder() const { return target_; }

    struct Entry;
    struct PlannedItem;
    class Runner;

private:
    Operation op_;
    std::vector<std::string> items_;
    std::string target_;
    std::vector<std::string> targetNames_;  // per item; empty: its own name
    OperationOptions options_;
    std::unique_ptr<std::vector<PlannedItem>> planned_;  // made by plan()

    friend class Runner;
    std::atomic<uint64_t> bytesDone_{0}, bytesTotal_{0}, filesDone_{0}, filesTotal_{0};
    mutable std::mutex currentMutex_;
    std::string current_;
    void setCurrent(const std::string& path);
};

// The refusal a job gives for copying or moving the folder `source` into
// `targetFolder` when that is the folder itself or lies inside it (told by identity
// on disk, so another spelling of the path or a link does not slip through); nothing
// when `source` is no folder or `targetFolder` does not exist. Callers that can
// refuse before a job is made (a drop) show the same message.
std::optional<Error> intoItselfRefusal(Operation op, const std::string& source,
                                       const std::string& targetFolder);

}  // namespace arbel::ops

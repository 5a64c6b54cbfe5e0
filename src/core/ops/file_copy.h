#pragma once
// TFileCopy: copies one file to one target name and tells its owner how far it
// got as (read percentage, write percentage) pairs. Unlike a plain read/write
// loop it never leaves a partial target, never truncates a target before the
// new copy is complete, sees through other spellings of the same file, and
// reports a short write (a full disk) as the failure it is.

#include <functional>
#include <string>

namespace arbel::ops {

class TFileCopy {
public:
    // Messages for the user (the owner beeps and shows them); progress as the
    // owner's CopyProgress notification: read percent, write percent (0-100).
    std::function<void(const std::string& message)> onMessage;
    std::function<void(int readPercent, int writePercent)> CopyProgress;

    const std::string& SourceFile() const { return source_; }
    const std::string& TargetFile() const { return target_; }
    void setSourceFile(const std::string& s) { source_ = s; }
    void setTargetFile(const std::string& t) { target_ = t; }

    // Checks the names, then copies; a failed copy adds "Execution failed".
    void Execute();
    // The copy itself: true on success, false after a reported failure.
    bool copy(const std::string& source, const std::string& target);

private:
    void report(const std::string& message) {
        if (onMessage) onMessage(message);
    }
    std::string source_, target_;
};

}  // namespace arbel::ops

#pragma once
// Shared by the ops tests: a recording stand-in for the user, and tree snapshots.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/ops/file_operation.h"
#include "support/temp_dir.h"

namespace arbel::ops::test {

// Answers questions from scripted queues (a default when a queue runs dry) and
// records what was asked.
class RecordingQuestions : public OperationQuestions {
public:
    std::deque<Answer> replaceAnswers;
    Answer replaceDefault = Answer::No;
    bool createAnswer = true;
    std::deque<Answer> deleteAnswers;
    Answer deleteDefault = Answer::Yes;
    Answer permanentAnswer = Answer::No;
    ErrorAnswer errorAnswer = ErrorAnswer::Skip;
    std::function<void(uint64_t bytes, uint64_t files)> progressHook;
    std::function<void(const std::string& item)> permanentHook;  // before the answer

    std::vector<std::pair<std::string, std::string>> replaceAsked;
    std::vector<std::string> createAsked, deleteAsked, permanentAsked;
    std::vector<Error> errors;

    Answer replaceExisting(const std::string& s, const std::string& t) override {
        replaceAsked.emplace_back(s, t);
        return pop(replaceAnswers, replaceDefault);
    }
    bool createTargetFolder(const std::string& f) override {
        createAsked.push_back(f);
        return createAnswer;
    }
    Answer confirmDelete(const std::string& item, bool) override {
        deleteAsked.push_back(item);
        return pop(deleteAnswers, deleteDefault);
    }
    Answer deletePermanently(const std::string& item, const Error&) override {
        permanentAsked.push_back(item);
        if (permanentHook) permanentHook(item);
        return permanentAnswer;
    }
    ErrorAnswer onError(const Error& e) override {
        errors.push_back(e);
        return errorAnswer;
    }
    void onProgress(uint64_t bytes, uint64_t files) override {
        if (progressHook) progressHook(bytes, files);
    }

private:
    static Answer pop(std::deque<Answer>& q, Answer d) {
        if (q.empty()) return d;
        Answer a = q.front();
        q.pop_front();
        return a;
    }
};

// What a folder holds, recursively: relative path -> "D" for a folder, "L:" +
// target for a link, "F:" + content for a file.
inline void snapshotInto(const std::string& root, const std::string& rel,
                         std::map<std::string, std::string>& out) {
    std::string path = rel.empty() ? root : root + "/" + rel;
    DIR* d = ::opendir(path.c_str());
    if (!d) return;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
    for (const auto& n : names) {
        std::string r = rel.empty() ? n : rel + "/" + n;
        std::string full = root + "/" + r;
        struct stat st;
        if (::lstat(full.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            out[r] = "D";
            snapshotInto(root, r, out);
        } else if (S_ISLNK(st.st_mode)) {
            char buf[4096];
            ssize_t k = ::readlink(full.c_str(), buf, sizeof buf);
            out[r] = "L:" + std::string(buf, k > 0 ? size_t(k) : 0);
        } else {
            out[r] = "F:" + arbel::test::readFile(full);
        }
    }
}

inline std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    snapshotInto(root, {}, out);
    return out;
}

inline OperationResult runOp(Operation op, std::vector<std::string> items, const std::string& target,
                             RecordingQuestions& q, OperationOptions options = {},
                             const CancelToken* cancel = nullptr) {
    FileOperation job(op, std::move(items), target, options);
    CancelToken none;
    return job.run(q, cancel ? *cancel : none);
}

// Temporary names the engine uses while copying; none may be left behind.
inline bool hasTempLeftovers(const std::map<std::string, std::string>& snap) {
    for (const auto& [rel, kind] : snap)
        if (rel.find(".arbel-") != std::string::npos) return true;
    return false;
}

}  // namespace arbel::ops::test

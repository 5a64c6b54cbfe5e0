// Copies files or trees into a folder with the file-operation engine, replacing
// without questions: the arbel side of the copy-big and copy-small benchmarks.
//   bench_copy_tree SOURCE... TARGET_FOLDER

#include <cstdio>
#include <string>
#include <vector>

#include "core/ops/file_operation.h"

namespace {

class NoQuestions : public arbel::ops::OperationQuestions {
public:
    arbel::ops::Answer replaceExisting(const std::string&, const std::string&) override {
        return arbel::ops::Answer::YesToAll;
    }
    bool createTargetFolder(const std::string&) override { return true; }
    arbel::ops::Answer confirmDelete(const std::string&, bool) override {
        return arbel::ops::Answer::YesToAll;
    }
    arbel::ops::Answer deletePermanently(const std::string&, const arbel::Error&) override {
        return arbel::ops::Answer::No;
    }
    arbel::ops::ErrorAnswer onError(const arbel::Error& e) override {
        std::fprintf(stderr, "%s\n", e.describe().c_str());
        return arbel::ops::ErrorAnswer::Skip;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOURCE... TARGET_FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<std::string> items(argv + 1, argv + argc - 1);
    arbel::ops::OperationOptions options;
    options.noConfirmation = true;
    options.autoMakeDir = true;
    arbel::ops::FileOperation job(arbel::ops::Operation::Copy, items, argv[argc - 1], options);
    NoQuestions q;
    arbel::CancelToken cancel;
    auto result = job.run(q, cancel);
    return result.allDone() ? 0 : 1;
}

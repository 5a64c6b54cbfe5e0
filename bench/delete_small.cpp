// Deletes files or trees with the file-operation engine, without confirmations:
// the arbel side of the delete-small benchmark.
//   bench_delete_small PATH...

#include <cstdio>
#include <string>
#include <vector>

#include "core/ops/file_operation.h"

namespace {

class NoQuestions : public arbel::ops::OperationQuestions {
public:
    arbel::ops::Answer replaceExisting(const std::string&, const std::string&) override {
        return arbel::ops::Answer::No;
    }
    bool createTargetFolder(const std::string&) override { return false; }
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH...\n", argv[0]);
        return 2;
    }
    arbel::ops::OperationOptions options;
    options.noConfirmation = true;
    arbel::ops::FileOperation job(arbel::ops::Operation::Delete, {argv + 1, argv + argc}, {}, options);
    NoQuestions q;
    arbel::CancelToken cancel;
    return job.run(q, cancel).allDone() ? 0 : 1;
}

// 1,000 random copies, moves and deletes on a random tree, each checked against a
// model of what the tree must then hold. Catches lost files, stray temporaries,
// wrong merges and replacements that happened without the user's word.

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "core/ops/ops_test_support.h"
#include "platform/fileops.h"

namespace arbel::ops {
namespace {

using arbel::test::TempDir;
using test::RecordingQuestions;
using test::runOp;
using test::snapshot;

using Model = std::map<std::string, std::string>;  // rel -> "D" or "F:" + content

bool isDir(const Model& m, const std::string& rel) {
    auto it = m.find(rel);
    return it != m.end() && it->second == "D";
}

std::vector<std::string> children(const Model& m, const std::string& dir) {
    std::vector<std::string> out;
    std::string prefix = dir.empty() ? "" : dir + "/";
    for (auto it = m.lower_bound(prefix); it != m.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        if (it->first.find('/', prefix.size()) == std::string::npos) out.push_back(it->first);
    }
    return out;
}

std::string join(const std::string& dir, const std::string& name) {
    return dir.empty() ? name : dir + "/" + name;
}

void eraseTree(Model& m, const std::string& rel) {
    for (auto it = m.begin(); it != m.end();) {
        if (isSameOrBelow(it->first, rel))
            it = m.erase(it);
        else
            ++it;
    }
}

void modelCopy(Model& m, const Model& src, const std::string& from, const std::string& to, bool replace) {
    const std::string& kind = src.at(from);
    auto existing = m.find(to);
    if (kind == "D") {
        if (existing != m.end() && existing->second != "D") return;  // a file in the way: subtree skipped
        m[to] = "D";
        for (const auto& c : children(src, from)) modelCopy(m, src, c, join(to, baseName(c)), replace);
        return;
    }
    if (existing != m.end()) {
        if (existing->second == "D" || to == from || !replace) return;
    }
    m[to] = kind;
}

void modelMove(Model& m, const std::string& from, const std::string& to, bool replace) {
    auto existing = m.find(to);
    if (existing == m.end()) {
        Model moved;
        for (auto it = m.begin(); it != m.end();) {
            if (isSameOrBelow(it->first, from)) {
                moved[to + it->first.substr(from.size())] = it->second;
                it = m.erase(it);
            } else {
                ++it;
            }
        }
        m.insert(moved.begin(), moved.end());
        return;
    }
    if (to == from) return;
    bool fromDir = isDir(m, from), toDir = existing->second == "D";
    if (fromDir && toDir) {
        for (const auto& c : children(m, from)) modelMove(m, c, join(to, baseName(c)), replace);
        if (children(m, from).empty()) m.erase(from);
        return;
    }
    if (fromDir != toDir || !replace) return;
    m[to] = m[from];
    m.erase(from);
}

TEST(RandomOperations, ThousandOperationsMatchTheModel) {
    TempDir tmp;
    std::string root = tmp.makeDir("root");
    std::mt19937 rng(20261206);
    const std::vector<std::string> names = {"a", "b c", "new\nline", "bad\xff", "-dash", "d.txt"};
    auto pick = [&](size_t n) { return size_t(std::uniform_int_distribution<size_t>(0, n - 1)(rng)); };
    Model model;
    int serial = 0;
    auto addRandom = [&]() {
        std::vector<std::string> dirs = {""};
        for (const auto& [rel, kind] : model)
            if (kind == "D") dirs.push_back(rel);
        std::string parent = dirs[pick(dirs.size())];
        std::string rel = join(parent, names[pick(names.size())]);
        if (model.count(rel)) return;
        if (pick(3) == 0) {
            tmp.makeDir("root/" + rel);
            model[rel] = "D";
        } else {
            std::string content = "c" + std::to_string(serial++);
            tmp.writeFile("root/" + rel, content);
            model[rel] = "F:" + content;
        }
    };
    for (int i = 0; i < 40; ++i) addRandom();
    ASSERT_EQ(snapshot(root), model);

    int tally[5][4] = {};  // op kind x outcome, to be sure every path was exercised
    for (int step = 0; step < 1000; ++step) {
        if (model.size() < 15 || pick(4) == 0) addRandom();
        if (model.empty()) continue;
        std::vector<std::string> all, dirs = {""};
        for (const auto& [rel, kind] : model) {
            all.push_back(rel);
            if (kind == "D") dirs.push_back(rel);
        }
        std::string item = all[pick(all.size())];
        std::string dest = dirs[pick(dirs.size())];
        bool replace = pick(2) == 0;
        RecordingQuestions q;
        q.replaceDefault = replace ? Answer::Yes : Answer::No;
        q.errorAnswer = ErrorAnswer::Skip;
        int op = int(pick(model.size() > 150 ? 2 : 5));
        std::string itemPath = joinPath(root, item), destPath = dest.empty() ? root : joinPath(root, dest);
        bool intoItself = isDir(model, item) && isSameOrBelow(dest, item);
        std::string target = join(dest, baseName(item));
        OperationResult r;
        if (op == 0 || op == 1) {
            r = runOp(Operation::Delete, {itemPath}, {}, q, OperationOptions{true, false, false});
            eraseTree(model, item);
        } else if (op == 2) {
            r = runOp(Operation::Move, {itemPath}, destPath, q);
            if (!intoItself) modelMove(model, item, target, replace);
        } else {
            r = runOp(Operation::Copy, {itemPath}, destPath, q);
            if (!intoItself) {
                Model source = model;
                modelCopy(model, source, item, target, replace);
            }
        }
        EXPECT_FALSE(r.aborted);
        for (const auto& i : r.items) ++tally[op < 2 ? 0 : op][int(i.outcome)];
        ASSERT_EQ(snapshot(root), model) << "step " << step << " op " << op << " item " << item << " to "
                                         << dest << " replace " << replace;
    }
    int done = int(Outcome::Done), skipped = int(Outcome::Skipped), failed = int(Outcome::Failed);
    EXPECT_GT(tally[0][done], 50);
    EXPECT_GT(tally[2][done], 50);
    EXPECT_GT(tally[3][done] + tally[4][done], 100);
    EXPECT_GT(tally[2][skipped] + tally[3][skipped] + tally[4][skipped], 10);
    EXPECT_GT(tally[2][failed] + tally[3][failed] + tally[4][failed], 10);
}

}  // namespace
}  // namespace arbel::ops

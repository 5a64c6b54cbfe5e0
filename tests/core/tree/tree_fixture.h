#pragma once
// A folder tree over volumes that are folders of a temporary tree, plus an observer
// that keeps row counts the way a view's model would, from the notifications alone.

#include <gtest/gtest.h>

#include <map>

#include "core/tree/dir_tree.h"
#include "support/temp_dir.h"

namespace arbel::tree::test {

class FakeVolumes : public VolumeSource {
public:
    std::vector<Volume> vols;
    std::map<std::string, VolumeState> states;  // by mount point; default readable, serial 1
    int probes = 0;

    Volume& add(const std::string& mountPoint, DriveType type = DriveType::Fixed) {
        Volume v;
        v.mountPoint = mountPoint;
        v.type = type;
        vols.push_back(v);
        return vols.back();
    }
    std::vector<Volume> list() override { return vols; }
    std::vector<VolumeState> probe(const std::vector<Volume>& v) override {
        std::vector<VolumeState> out;
        for (const auto& x : v) {
            ++probes;
            auto it = states.find(x.mountPoint);
            out.push_back(it != states.end() ? it->second : VolumeState{true, 1, false});
        }
        return out;
    }
};

// Mirrors the tree's row counts from notifications only; a view built on them would
// show exactly this.
class ShadowObserver : public TreeObserver {
public:
    explicit ShadowObserver(const TDirTree& tree) : tree_(tree) { resync(); }
    void beginReset() override { inReset_ = true; }
    void endReset() override {
        inReset_ = false;
        resync();
    }
    void beginInsertRows(TreeNode* parent, int first, int last) override {
        EXPECT_FALSE(inReset_);
        EXPECT_LE(first, rows(parent));
        pending_ = {parent, last - first + 1};
    }
    void endInsertRows() override { rows_[pending_.first] += pending_.second; }
    void beginRemoveRows(TreeNode* parent, int first, int last) override {
        EXPECT_LT(last, rows(parent));
        pending_ = {parent, last - first + 1};
    }
    void endRemoveRows() override { rows_[pending_.first] -= pending_.second; }
    void selectionChanged(TreeNode* node) override { lastSelected = node; }
    void expandedChanged(TreeNode* node, bool on) override { expanded[node] = on; }

    int rows(TreeNode* parent) const {
        auto it = rows_.find(parent);
        return it == rows_.end() ? 0 : it->second;
    }
    // Every node reachable in the tree has the row count the shadow expects.
    void verify() const {
        EXPECT_EQ(rows(nullptr), int(tree_.roots().size()));
        std::vector<TreeNode*> stack;
        for (auto& r : tree_.roots()) stack.push_back(r.get());
        while (!stack.empty()) {
            TreeNode* n = stack.back();
            stack.pop_back();
            EXPECT_EQ(rows(n), n->rowCount()) << tree_.NodePath(n);
            for (auto& c : n->children()) stack.push_back(c.get());
        }
    }
    TreeNode* lastSelected = nullptr;
    std::map<TreeNode*, bool> expanded;

private:
    void resync() {
        rows_.clear();
        rows_[nullptr] = int(tree_.roots().size());
        std::vector<TreeNode*> stack;
        for (auto& r : tree_.roots()) stack.push_back(r.get());
        while (!stack.empty()) {
            TreeNode* n = stack.back();
            stack.pop_back();
            rows_[n] = n->rowCount();
            for (auto& c : n->children()) stack.push_back(c.get());
        }
    }
    const TDirTree& tree_;
    std::map<TreeNode*, int> rows_;
    std::pair<TreeNode*, int> pending_{nullptr, 0};
    bool inReset_ = false;
};

class TreeTest : public ::testing::Test {
protected:
    TreeTest() : tree(&volumes), shadow(tree) {
        volumes.add(tmp.path());
        tree.setCurrentDirectory(tmp.path());
        TrashPlaces trash;
        trash.dataHome = tmp.path() + "/home/.local/share";
        trash.uid = 1000;
        tree.setTrashPlaces(trash);
        tree.setObserver(&shadow);
    }
    void TearDown() override {
        EXPECT_EQ(tree.checkConsistency(), std::vector<std::string>{});
        shadow.verify();
    }
    std::string path(std::string_view rel) const { return tmp.path() + "/" + std::string(rel) + "/"; }
    TreeNode* root() const { return tree.roots().at(0).get(); }
    std::vector<std::string> childNames(const TreeNode* n) const {
        std::vector<std::string> out;
        for (auto& c : n->children()) out.push_back(c->name());
        return out;
    }
    TreeNode* expand(std::string_view rel) {
        TreeNode* n = rel.empty() ? root() : tree.FindNode(path(rel));
        if (n) tree.expandNode(n);
        return n;
    }

    arbel::test::TempDir tmp;
    FakeVolumes volumes;
    TDirTree tree;
    ShadowObserver shadow;
};

}  // namespace arbel::tree::test

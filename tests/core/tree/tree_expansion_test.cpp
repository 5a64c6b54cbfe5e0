// An expansion read away from the tree and applied later: it must build the same
// tree as reading in place, and an answer that no longer fits must change nothing.
#include <cstdio>

#include "core/tree/dir_tree.h"
#include "tree_fixture.h"

namespace arbel::tree::test {
namespace {

using Names = std::vector<std::string>;

// Reads as a worker would (with a copy of the query), then applies.
bool expandInTwoHalves(TDirTree& tree, TreeNode* node) {
    auto query = tree.expansionQuery(node);
    if (!query) return false;
    ExpansionRead read = readExpansion(*query);
    return tree.applyExpansion(node, *query, std::move(read));
}

TEST_F(TreeTest, ReadingAwayFromTheTreeGivesTheTreeReadingInPlaceGives) {
    tmp.makeDir("plain/inner");
    tmp.makeDir(".hidden/x");
    tmp.makeDir("onlyhidden/.git");
    tmp.makeDir("leaf");
    tmp.makeDir("home/.local/share/Trash/files/deleted");
    tmp.makeLink("link", "plain");
    tmp.writeFile("file.txt", "x");
    for (TDirTypes types : {TDirTypes(dtNormal | dtAll), TDirTypes(dtNormal)}) {
        for (bool belowTrash : {true, false}) {
            SCOPED_TRACE(testing::Message() << "types " << int(types) << " trash " << belowTrash);
            FakeVolumes otherVolumes;
            otherVolumes.add(tmp.path());
            TDirTree inPlace(&otherVolumes);
            inPlace.setTrashPlaces({tmp.path() + "/home/.local/share", 1000});
            for (TDirTree* t : {&tree, &inPlace}) {
                t->setDirTypes(types);
                t->setGoBelowRecycleBin(belowTrash);
                t->RefreshTree();
                t->readDrives();
            }
            ASSERT_TRUE(expandInTwoHalves(tree, root()));
            inPlace.expandNode(inPlace.roots().at(0).get());
            // And one level further down, through the trash.
            for (const char* rel : {"home", "home/.local", "home/.local/share", "home/.local/share/Trash"}) {
                TreeNode* two = tree.FindNode(path(rel));
                TreeNode* one = inPlace.FindNode(path(rel));
                ASSERT_EQ(two == nullptr, one == nullptr) << rel;
                if (!two) break;
                ASSERT_TRUE(expandInTwoHalves(tree, two)) << rel;
                inPlace.expandNode(one);
            }
            std::vector<std::pair<const TreeNode*, const TreeNode*>> stack{
                {root(), inPlace.roots().at(0).get()}};
            while (!stack.empty()) {
                auto [a, b] = stack.back();
                stack.pop_back();
                EXPECT_EQ(childNames(a), childNames(b)) << tree.NodePath(a);
                EXPECT_EQ(a->hasPlaceholder(), b->hasPlaceholder()) << tree.NodePath(a);
                EXPECT_EQ(a->isLink(), b->isLink()) << tree.NodePath(a);
                if (a->children().size() != b->children().size()) continue;
                for (size_t i = 0; i < a->children().size(); ++i)
                    stack.push_back({a->children()[i].get(), b->children()[i].get()});
            }
            shadow.verify();
        }
    }
}

TEST_F(TreeTest, ALateAnswerThatNoLongerFitsChangesNothing) {
    tmp.makeDir("a/one/deep");
    tmp.makeDir("b/two");
    tree.readDrives();
    expand("");
    TreeNode* a = tree.FindNode(path("a"));
    ASSERT_TRUE(a && a->hasPlaceholder());

    // Renamed while the worker read the old path: the answer is for another folder.
    auto query = tree.expansionQuery(a);
    ASSERT_TRUE(query);
    ExpansionRead read = readExpansion(*query);
    ASSERT_EQ(::rename((tmp / "a").c_str(), (tmp / "c").c_str()), 0);
    ASSERT_TRUE(tree.RenameDir(path("a"), "c").ok());
    TreeNode* c = tree.FindNode(path("c"));
    EXPECT_FALSE(tree.applyExpansion(c, *query, read));
    EXPECT_TRUE(c->hasPlaceholder());
    EXPECT_TRUE(c->children().empty());

    // Read in place meanwhile: the answer is not applied twice.
    TreeNode* b = tree.FindNode(path("b"));
    query = tree.expansionQuery(b);
    read = readExpansion(*query);
    tree.expandNode(b);
    EXPECT_FALSE(tree.applyExpansion(b, *query, read));
    EXPECT_EQ(childNames(b), (Names{"two"}));

    // A folder that could not be opened ends as read and empty, as in place.
    query = tree.expansionQuery(c);
    ASSERT_TRUE(query);
    ExpansionQuery gone = *query;
    arbel::test::removeTree(tmp / "c");
    EXPECT_TRUE(tree.applyExpansion(c, gone, readExpansion(gone)));
    EXPECT_FALSE(c->hasPlaceholder());
    EXPECT_FALSE(tree.needsExpandWork(c));

    // A cancelled read is never applied.
    tmp.makeDir("d/x");
    tree.AddSubdir(path(""), "d");
    TreeNode* d = tree.FindNode(path("d"));
    ASSERT_NE(d, nullptr);
    query = tree.expansionQuery(d);
    CancelToken stop;
    stop.cancel();
    EXPECT_FALSE(tree.applyExpansion(d, *query, readExpansion(*query, &stop)));
    EXPECT_TRUE(tree.needsExpandWork(d));

    // Hooks belong to the thread that owns the tree: no query then.
    tree.OnAddDir = [](const std::string&) { return true; };
    EXPECT_FALSE(tree.expansionQuery(d));
}

}  // namespace
}  // namespace arbel::tree::test

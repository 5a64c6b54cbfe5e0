// Expands one folder in the folder tree: reads its subfolders, sorts them and checks
// each for a subfolder of its own. With --memory, reports the heap taken per node.
//   bench_tree_expand DIR [--memory]

#include <malloc.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/tree/dir_tree.h"

namespace {

class OneVolume : public arbel::tree::VolumeSource {
public:
    explicit OneVolume(std::string path) : path_(std::move(path)) {}
    std::vector<arbel::Volume> list() override {
        arbel::Volume v;
        v.mountPoint = path_;
        v.type = arbel::DriveType::Fixed;
        return {v};
    }
    std::vector<arbel::VolumeState> probe(const std::vector<arbel::Volume>& v) override {
        return std::vector<arbel::VolumeState>(v.size(), arbel::VolumeState{true, 1, false});
    }

private:
    std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [--memory]\n", argv[0]);
        return 2;
    }
    std::setlocale(LC_ALL, "");
    bool memory = argc > 2 && std::strcmp(argv[2], "--memory") == 0;
    OneVolume volumes(argv[1]);
    size_t before = mallinfo2().uordblks;
    arbel::tree::TDirTree tree(&volumes);
    tree.setFastLoad(true);
    tree.readDrives();
    arbel::tree::TreeNode* root = tree.roots().at(0).get();
    tree.expandNode(root);
    size_t nodes = root->children().size(), placeholders = 0;
    for (const auto& c : root->children()) placeholders += c->hasPlaceholder();
    if (memory) {
        size_t after = mallinfo2().uordblks;
        std::printf("tree-expand: %zu subfolders (%zu with subfolders), %.0f bytes per node\n", nodes,
                    placeholders, nodes ? double(after - before) / double(nodes) : 0.0);
    }
    return nodes ? 0 : 1;
}

// Reads a folder into the file list model the way a folder window does: every
// entry with all seven cells formatted, sorted by name.
//   bench_folder_read FOLDER            one read (timed by bench/run)
//   bench_folder_read --memory FOLDER   prints the model's bytes per entry beyond the name
#include <cstdio>
#include <cstring>
#include <string>

#include "core/lists/file_list_model.h"

int main(int argc, char** argv) {
    bool memory = argc == 3 && std::strcmp(argv[1], "--memory") == 0;
    if (argc != 2 && !memory) {
        std::fprintf(stderr, "usage: bench_folder_read [--memory] FOLDER\n");
        return 2;
    }
    arbel::lists::FileListModel model;
    model.setFolder(argv[memory ? 2 : 1]);
    model.reread();
    if (!model.lastErrors().empty()) {
        std::fprintf(stderr, "%s\n", model.lastErrors().front().describe().c_str());
        return 1;
    }

    arbel::lists::ListFormat fmt;
    std::size_t sink = 0;
    for (std::size_t row = 0; row < model.size(); ++row) {
        sink += model.name(row).size();
        for (int c = 0; c < arbel::lists::kCellCount; ++c) {
            sink += model.cell(row, static_cast<arbel::lists::Cell>(c), fmt).size();
        }
    }

    if (memory) {
        const auto& l = model.listing();
        double perEntry = model.size() ? static_cast<double>(l.bytesUsed() - l.names.size()) /
                                             static_cast<double>(model.size())
                                       : 0;
        std::printf("folder-read: %zu entries, model %.1f bytes per entry beyond the name\n", model.size(),
                    perEntry);
    }
    return sink == 0 && model.size() > 0 ? 1 : 0;
}

// Runs the finder as the search window does and prints each path found, one a line.
//   bench_find_run name ROOT MASK        (like find ROOT -iname MASK)
//   bench_find_run content ROOT STRING   (like grep -rilF STRING ROOT)
// ARBEL_SCAN_THREADS=N: threads beside the calling one (0: the caller alone).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/search/finder.h"

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "name") != 0 && std::strcmp(argv[1], "content") != 0)) {
        std::fprintf(stderr, "usage: %s name|content ROOT MASK|STRING\n", argv[0]);
        return 2;
    }
    static char outbuf[1 << 16];
    std::setvbuf(stdout, outbuf, _IOFBF, sizeof outbuf);
    arbel::search::TMyFF ff;
    if (const char* t = std::getenv("ARBEL_SCAN_THREADS"))
        ff.setScanThreads(static_cast<unsigned>(std::atoi(t)));
    if (std::strcmp(argv[1], "name") == 0) {
        ff.setMask(argv[3]);
    } else {
        ff.setFindString(argv[3]);
    }
    long count = 0;
    ff.OnAddFile = [&](const std::string& folder, const arbel::search::FoundFile& f, bool&) {
        std::fwrite(folder.data(), 1, folder.size(), stdout);
        std::fwrite(f.name.data(), 1, f.name.size(), stdout);
        std::fputc('\n', stdout);
        ++count;
    };
    const bool ok = ff.execute(argv[2]);
    std::fflush(stdout);
    std::fprintf(stderr, "%ld found\n", count);
    return ok ? 0 : 1;
}

// Folder Size the way the frame runs it: one job over one folder.
//   bench_folder_size FOLDER            one count (timed by bench/run)
// ARBEL_WALK_THREADS=N sets the walk's threads (the default: one a core).
//   bench_folder_size --memory FOLDER   prints the totals, the job's peak bookkeeping
//                                       and the process's peak resident memory
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/lists/folder_size.h"

int main(int argc, char** argv) {
    bool memory = argc == 3 && std::strcmp(argv[1], "--memory") == 0;
    if (argc != 2 && !memory) {
        std::fprintf(stderr, "usage: bench_folder_size [--memory] FOLDER\n");
        return 2;
    }
    arbel::lists::FolderSizeJob job({argv[memory ? 2 : 1]});
    if (const char* t = std::getenv("ARBEL_WALK_THREADS")) job.setThreads(unsigned(std::atoi(t)));
    arbel::CancelToken cancel;
    if (!job.run(cancel)) return 1;
    const arbel::lists::FolderSize& s = job.results().front();
    if (memory) {
        struct rusage ru;
        ::getrusage(RUSAGE_SELF, &ru);
        std::printf(
            "folder-size: %llu files in %llu folders, %llu bytes (%llu on disk); "
            "job peak %.1f KiB, process peak RSS %ld KiB\n",
            static_cast<unsigned long long>(s.files), static_cast<unsigned long long>(s.folders),
            static_cast<unsigned long long>(s.bytes), static_cast<unsigned long long>(s.allocated),
            static_cast<double>(job.peakMemory()) / 1024.0, ru.ru_maxrss);
    }
    return s.files > 0 ? 0 : 1;
}

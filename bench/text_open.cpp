// Time to the first page of text and the memory it takes, for a file of any size.
//   bench_text_open gen FILE BYTES   writes a text file of about BYTES bytes
//   bench_text_open open FILE        opens it and lays out the first page
//   bench_text_open index FILE       indexes every line, as idle time does
// "open" prints the milliseconds to the first page and the peak resident memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/viewer/text_document.h"
#include "core/viewer/text_layout.h"

namespace {

int generate(const char* path, unsigned long long bytes) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return 1;
    std::string chunk;
    unsigned long long written = 0;
    for (unsigned n = 0; written < bytes; ++n) {
        chunk.clear();
        for (int k = 0; k < 1000; ++k, ++n) {
            chunk += "<p class=\"row\">line " + std::to_string(n) + " of the test text</p>";
            chunk.append(n % 50, ' ');
            chunk += (n % 7 ? "\n" : "\r\n");
        }
        std::fwrite(chunk.data(), 1, chunk.size(), f);
        written += chunk.size();
    }
    return std::fclose(f) == 0 ? 0 : 1;
}

int openFirstPage(const char* path) {
    auto t0 = std::chrono::steady_clock::now();
    auto doc = arbel::viewer::TextDocument::openFile(path);
    if (!doc) return 1;
    arbel::viewer::TextView view(**doc);
    view.setKeys({{u"<", u">"}});
    view.setColumns(100);
    auto lines = view.lines(60);
    auto t1 = std::chrono::steady_clock::now();
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("first page %.2f ms, %zu lines, peak memory %ld KiB, file %llu bytes\n",
                std::chrono::duration<double, std::milli>(t1 - t0).count(), lines.size(), ru.ru_maxrss,
                static_cast<unsigned long long>((*doc)->sizeBytes()));
    return 0;
}

// Indexes the whole file as the display does in idle time, and reports the cost.
int indexAll(const char* path) {
    auto t0 = std::chrono::steady_clock::now();
    auto doc = arbel::viewer::TextDocument::openFile(path);
    if (!doc) return 1;
    while (!(*doc)->indexMore(4u << 20)) {
    }
    auto t1 = std::chrono::steady_clock::now();
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("indexed %lld lines in %.0f ms, %zu checkpoints, peak memory %ld KiB\n",
                static_cast<long long>((*doc)->knownParagraphs()),
                std::chrono::duration<double, std::milli>(t1 - t0).count(), (*doc)->checkpointCount(),
                ru.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && !std::strcmp(argv[1], "gen"))
        return generate(argv[2], std::strtoull(argv[3], nullptr, 10));
    if (argc == 3 && !std::strcmp(argv[1], "open")) return openFirstPage(argv[2]);
    if (argc == 3 && !std::strcmp(argv[1], "index")) return indexAll(argv[2]);
    return 2;
}

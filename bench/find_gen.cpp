// Writes the search benchmarks' tree: 20 x 20 x 50 leaf folders (20,420 folders in
// all) with 10 files each (200,000 files), about 1 GiB of text-like content. A few
// files hold the needle "Zebra-Quokka-Tangerine" in mixed case, at varied offsets.
//   bench_find_gen ROOT
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ROOT\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    ::mkdir(root.c_str(), 0755);
    static const char* words[] = {"the",    "quick",  "brown",  "fox",    "jumps",   "over",   "lazy",
                                  "dog",    "int",    "return", "static", "const",   "void",   "while",
                                  "file",   "folder", "search", "data",   "value",   "index",  "string",
                                  "buffer", "report", "window", "{",      "}",       "(x);",   "=",
                                  "0",      "42",     "struct", "class",  "include", "define", "Error"};
    const char* exts[] = {".txt", ".c", ".h", ".md", ".cpp", ".log", ".txt", "", ".py", ".json"};
    std::mt19937 rng(1234);
    std::string body;
    long n = 0;
    for (int a = 0; a < 20; ++a) {
        std::string da = root + "/d" + std::to_string(a);
        ::mkdir(da.c_str(), 0755);
        for (int b = 0; b < 20; ++b) {
            std::string db = da + "/e" + std::to_string(b);
            ::mkdir(db.c_str(), 0755);
            for (int c = 0; c < 50; ++c) {
                std::string dc = db + "/f" + std::to_string(c);
                ::mkdir(dc.c_str(), 0755);
                for (int f = 0; f < 10; ++f, ++n) {
                    const size_t size = rng() % 10600;
                    body.clear();
                    while (body.size() < size) {
                        body += words[rng() % (sizeof words / sizeof *words)];
                        body += (rng() % 12 == 0) ? '\n' : ' ';
                    }
                    body.resize(size);
                    if (n % 9973 == 17 && size > 40) {
                        body.replace(rng() % (size - 30), 22,
                                     (n % 2) ? "zebra-QUOKKA-tangerine" : "Zebra-Quokka-Tangerine");
                    }
                    std::string name =
                        dc + "/" + (f == 7 && c % 5 == 0 ? "Makefile" : "item" + std::to_string(n) + exts[f]);
                    FILE* out = std::fopen(name.c_str(), "wb");
                    if (!out) {
                        std::perror(name.c_str());
                        return 1;
                    }
                    std::fwrite(body.data(), 1, body.size(), out);
                    std::fclose(out);
                }
            }
        }
    }
    return 0;
}

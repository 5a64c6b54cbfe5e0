// The properties window's checksum the way it runs: SHA-256 of one file through
// the core, as sha256sum does it.
//   bench_checksum FILE            one sum (timed by bench/run), printed like sha256sum
//   bench_checksum --md5 FILE      the same with MD5
#include <cstdio>
#include <cstring>

#include "core/ops/item_properties.h"

int main(int argc, char** argv) {
    const bool md5 = argc == 3 && std::strcmp(argv[1], "--md5") == 0;
    if (argc != 2 && !md5) {
        std::fprintf(stderr, "usage: bench_checksum [--md5] FILE\n");
        return 2;
    }
    const char* path = argv[md5 ? 2 : 1];
    arbel::CancelToken cancel;
    auto sum =
        arbel::ops::itemChecksum(path, md5 ? arbel::ChecksumKind::Md5 : arbel::ChecksumKind::Sha256, cancel);
    if (!sum) {
        std::fprintf(stderr, "%s\n", sum.error().describe().c_str());
        return 1;
    }
    std::printf("%s  %s\n", sum->c_str(), path);
    return 0;
}

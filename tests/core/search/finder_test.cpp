#include "core/search/finder.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace arbel {
namespace {

using Names = std::vector<std::string>;

// Paths found, relative to the search root, in the order reported.
Names run(TMyFF& ff, const std::string& root, bool* result = nullptr) {
    Names out;
    ff.OnAddFile = [&](const std::string& folder, const FoundFile& f, bool&) {
        EXPECT_EQ(folder.back(), '/');
        out.push_back((folder + std::string(f.name)).substr(root.size() + 1));
    };
    bool r = ff.execute(root);
    if (result) *result = r;
    return out;
}

Names sorted(Names v) {
    std::sort(v.begin(), v.end());
    return v;
}

void setMtime(const std::string& path, time_t sec) {
    struct timespec ts[2] = {{sec, 0}, {sec, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), ts, AT_SYMLINK_NOFOLLOW), 0);
}

// Runs fn on a thread without the capabilities that let root ignore permissions, so
// unreadable files and folders are unreadable even when the tests run as root.
// Capabilities belong to a thread, so the rest of the test process keeps them.
template <class F>
void withoutPermissionOverride(F fn) {
    std::thread t([&] {
        __user_cap_header_struct hdr{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2];
        ASSERT_EQ(::syscall(SYS_capget, &hdr, data), 0);
        const unsigned drop = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        data[0].effective &= ~drop;
        ASSERT_EQ(::syscall(SYS_capset, &hdr, data), 0);
        fn();
    });
    t.join();
}

TEST(Finder, MasksUseTheFindersOwnExpansionAndFullGlobs) {
    test::TempDir tmp;
    for (const char* f : {"Makefile", "README.txt", "readme", "a.txt.txt", "notes.TXT", "abc", "axxc.md",
                          "main.c", "main.h", "x.cc", ".hidden"})
        tmp.writeFile(f, "x");
    struct Case {
        const char* mask;
        Names want;
    } cases[] = {
        // "*.*" takes names without an extension too.
        {"*.*",
         {".hidden", "Makefile", "README.txt", "a.txt.txt", "abc", "axxc.md", "main.c", "main.h", "notes.TXT",
          "readme", "x.cc"}},
        {"",
         {".hidden", "Makefile", "README.txt", "a.txt.txt", "abc", "axxc.md", "main.c", "main.h", "notes.TXT",
          "readme", "x.cc"}},
        {"readme", {"README.txt", "readme"}},                 // a bare word: anywhere in the name
        {"*.txt", {"README.txt", "a.txt.txt", "notes.TXT"}},  // a later ".txt" is tried too
        {"a?c", {"abc"}},                                     // "?" does not stop the wrap: "*a?c*"
        {"a*c", {"abc", "axxc.md"}},                          // no dot, so "a*c*"
        {"*.c, *.H", {"main.c", "main.h"}},
        {"main.c", {"main.c"}},
        {"*.", {}},
        {"nothing", {}},
    };
    for (const auto& c : cases) {
        TMyFF ff;
        ff.setMask(c.mask);
        EXPECT_EQ(sorted(run(ff, tmp.path())), c.want) << "mask '" << c.mask << "'";
    }
}

TEST(Finder, SizeDateAndAttributeFiltersOverARealTree) {
    test::TempDir tmp;
    tmp.writeFile("empty", "");
    tmp.writeFile("small", std::string(100, 'x'));
    tmp.writeFile("kilo", std::string(1024, 'x'));
    // 5 GiB, sparse: larger than any 32-bit size, so it must not pass as small.
    std::string big = tmp.writeFile("big", "");
    ASSERT_EQ(::truncate(big.c_str(), 5LL << 30), 0);
    std::string old = tmp.writeFile("old", "o");
    setMtime(old, 0);  // 1970: reproducible builds and archives do this
    std::string future = tmp.writeFile("future", "f");
    setMtime(future, 4102444800 + 86400 * 365);  // 2101
    setMtime(tmp / "empty", 1000000000);
    setMtime(tmp / "small", 1000000000);
    setMtime(tmp / "kilo", 1600000000);
    setMtime(big, 1600000000);
    std::string ro = tmp.writeFile("locked", "r");
    ::chmod(ro.c_str(), 0444);
    tmp.writeFile(".dotfile", "h");
    for (const char* f : {"locked", ".dotfile"}) setMtime(tmp / f, 1700000000);
    const int64_t s = 1000000000;  // ns per second

    struct Case {
        const char* what;
        void (*set)(TMyFF&);
        Names want;
    } cases[] = {
        {"no filters: every date is taken",
         [](TMyFF&) {},
         {".dotfile", "big", "empty", "future", "kilo", "locked", "old", "small"}},
        {"at most 1 KiB",
         [](TMyFF& f) { f.setSizeRange(0, 1024); },
         {".dotfile", "empty", "future", "kilo", "locked", "old", "small"}},
        {"backwards range is swapped", [](TMyFF& f) { f.setSizeRange(1024, 100); }, {"kilo", "small"}},
        {"above 4 GiB", [](TMyFF& f) { f.setSizeRange(4ULL << 30, TMyFF::kNoLimit); }, {"big"}},
        {"dates, both ends included",
         [](TMyFF& f) { f.setDateRange(1000000000 * s, 1600000000 * s); },
         {"big", "empty", "kilo", "small"}},
        {"dates given backwards",
         [](TMyFF& f) { f.setDateRange(1700000000 * s, 1600000000 * s); },
         {".dotfile", "big", "kilo", "locked"}},
        {"before 1980", [](TMyFF& f) { f.setDateRange(-100 * s, 100 * s); }, {"old"}},
        {"no hidden",
         [](TMyFF& f) { f.setAttributes(TMyFF::kAllAttributes & ~kAttrHidden); },
         {"big", "empty", "future", "kilo", "locked", "old", "small"}},
        {"no read-only",
         [](TMyFF& f) { f.setAttributes(kAttrHidden | kAttrArchive | kAttrSystem); },
         {".dotfile", "big", "empty", "future", "kilo", "old", "small"}},
    };
    for (const auto& c : cases) {
        TMyFF ff;
        c.set(ff);
        EXPECT_EQ(sorted(run(ff, tmp.path())), c.want) << c.what;
    }
}

TEST(Finder, ReportsWhatAFileIsAndStoredAttributes) {
    test::TempDir tmp;
    std::string f = tmp.writeFile("sys.bin", std::string(3000, 'z'));
    setMtime(f, 1234567890);
    std::string plain = tmp.writeFile("plain.bin", "p");
    bool xattrs = writeDosAttrib(f, kAttrSystem | kAttrArchive, kAttrSystem | kAttrArchive).ok();
    TMyFF ff;
    std::vector<FoundFile> seen;
    std::vector<std::string> names;
    ff.OnAddFile = [&](const std::string&, const FoundFile& d, bool&) {
        seen.push_back(d);
        names.emplace_back(d.name);
    };
    ASSERT_TRUE(ff.execute(tmp.path() + "/"));  // a trailing "/" is accepted
    ASSERT_EQ(seen.size(), 2u);
    const FoundFile& sys = names[0] == "sys.bin" ? seen[0] : seen[1];
    EXPECT_EQ(sys.size, 3000u);
    EXPECT_EQ(sys.mtimeNs, 1234567890LL * 1000000000);
    if (!xattrs) GTEST_SKIP() << "no user extended attributes on this file system";
    EXPECT_EQ(sys.attributes & (kAttrSystem | kAttrArchive), kAttrSystem | kAttrArchive);

    ff.setAttributes(kAttrReadOnly | kAttrHidden | kAttrArchive);  // system not allowed
    EXPECT_EQ(run(ff, tmp.path()), Names{"plain.bin"});
}

TEST(Finder, WalksDepthFirstWithFilesBeforeSubfolders) {
    test::TempDir tmp;
    tmp.writeFile("a/x", "");
    tmp.writeFile("a/b/y", "");
    tmp.writeFile("a/b/c/z", "");
    tmp.writeFile("a/w", "");
    tmp.writeFile("d/v", "");
    tmp.writeFile("top", "");
    TMyFF ff;
    Names dirs;
    ff.OnChDir = [&](const std::string& p, bool&) { dirs.push_back(p.substr(tmp.path().size())); };
    Names found = run(ff, tmp.path());
    // Each folder's files come before anything below it, and a sub-tree is finished
    // before its next sibling starts.
    auto pos = [&](const std::string& n) { return std::find(found.begin(), found.end(), n) - found.begin(); };
    ASSERT_EQ(found.size(), 6u);
    EXPECT_EQ(pos("top"), 0);
    EXPECT_LT(pos("a/x"), pos("a/b/y"));
    EXPECT_LT(pos("a/w"), pos("a/b/y"));
    EXPECT_EQ(pos("a/b/c/z"), pos("a/b/y") + 1);
    EXPECT_TRUE(pos("d/v") == 1 || pos("d/v") == 5);
    ASSERT_EQ(dirs.size(), 5u);
    EXPECT_EQ(dirs[0], "/");

    ff.RecurseDirs = false;
    dirs.clear();
    EXPECT_EQ(run(ff, tmp.path()), Names{"top"});
    EXPECT_EQ(dirs, Names{"/"});
}

TEST(Finder, CancelFromEveryEventStopsTheWholeSearch) {
    test::TempDir tmp;
    for (int i = 0; i < 5; ++i) tmp.writeFile("d" + std::to_string(i) + "/f.txt", "needle");
    tmp.writeFile("top.txt", "needle");
    enum Where { ChDirOfSub, Add, Scan, Token };
    for (Where where : {ChDirOfSub, Add, Scan, Token}) {
        TMyFF ff;
        CancelToken token;
        ff.setCancelToken(&token);
        ff.setFindString("needle");
        int chdirs = 0, adds = 0, scans = 0, eventsAfterCancel = 0;
        bool cancelled = false;
        auto after = [&] { eventsAfterCancel += cancelled; };
        ff.OnChDir = [&](const std::string&, bool& c) {
            after();
            if (++chdirs == 3 && where == ChDirOfSub) c = cancelled = true;
        };
        ff.OnScanFile = [&](const std::string&, bool& c) {
            after();
            if (++scans == 2 && where == Scan) c = cancelled = true;
        };
        ff.OnAddFile = [&](const std::string&, const FoundFile&, bool& c) {
            after();
            ++adds;
            if (adds == 2 && where == Add) c = cancelled = true;
            if (adds == 2 && where == Token) token.cancel(), cancelled = true;
        };
        EXPECT_FALSE(ff.execute(tmp.path())) << where;
        EXPECT_EQ(eventsAfterCancel, 0) << where;
        EXPECT_LT(adds, 6) << where;
    }
}

TEST(Finder, ScanThreadsLeaveTheEventOrderUnchanged) {
    // Scans run ahead on other threads; the events must still come in walk order,
    // each file's OnScanFile before its OnAddFile, exactly as with no scan threads.
    test::TempDir tmp;
    for (int d = 0; d < 40; ++d)
        for (int f = 0; f < 25; ++f) {
            std::string body(100 + (d * 37 + f * 11) % 3000, 'x');
            if ((d + f) % 7 == 0) body.insert(body.size() / 2, "NeEdLe");
            tmp.writeFile("d" + std::to_string(d % 8) + "/s" + std::to_string(d) + "/f" + std::to_string(f),
                          body);
        }
    auto log = [&](unsigned threads, int cancelAt) {
        TMyFF ff;
        ff.setScanThreads(threads);
        ff.setFindString("needle");
        Names events;
        auto note = [&](std::string e, bool& c) {
            events.push_back(std::move(e));
            if (static_cast<int>(events.size()) == cancelAt) c = true;
        };
        ff.OnChDir = [&](const std::string& p, bool& c) { note("D " + p, c); };
        ff.OnScanFile = [&](const std::string& p, bool& c) { note("S " + p, c); };
        ff.OnAddFile = [&](const std::string& p, const FoundFile& f, bool& c) {
            note("A " + p + std::string(f.name), c);
        };
        bool ok = ff.execute(tmp.path());
        EXPECT_EQ(ok, cancelAt < 0);
        return events;
    };
    const Names one = log(0, -1);
    EXPECT_EQ(std::count_if(one.begin(), one.end(), [](const std::string& e) { return e[0] == 'A'; }), 142);
    for (unsigned threads : {1u, 3u}) {
        EXPECT_EQ(log(threads, -1), one) << threads;
        // A cancel part-way leaves exactly the events before it.
        for (int at : {1, 2, 500, 1100}) {
            EXPECT_EQ(log(threads, at), Names(one.begin(), one.begin() + at)) << threads << " " << at;
        }
    }
}

TEST(Finder, CancelDoesNotWaitForAScanOfAHugeFile) {
    // A scan thread may be half-way through a huge file when an event cancels; the
    // search must end at once, not when the file has been read through.
    test::TempDir tmp;
    tmp.writeFile("first.txt", "needle");
    std::string huge = tmp.writeFile("sub/huge.bin", "");
    ASSERT_EQ(::truncate(huge.c_str(), 1LL << 40), 0);  // 1 TiB, sparse
    for (unsigned threads : {0u, 2u}) {
        TMyFF ff;
        ff.setScanThreads(threads);
        ff.setFindString("needle");
        ff.OnAddFile = [](const std::string&, const FoundFile&, bool& c) { c = true; };
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(ff.execute(tmp.path()));
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20)) << threads;
    }
}

TEST(Finder, ContentTestReadsInBlocksAndSeesMatchesAcrossThem) {
    test::TempDir tmp;
    const std::string needle = "Boundary-Needle";
    // One occurrence split by every block boundary position, one right at the end of
    // a multi-block file, one only in the first bytes.
    for (size_t cut = 1; cut < needle.size(); cut += 4) {
        std::string body(TMyFF::kBlockSize - cut, 'a');
        body += "bOUNDARY-nEEDLE";
        body += std::string(1000, 'b');
        tmp.writeFile("split" + std::to_string(cut), body);
    }
    tmp.writeFile("end", std::string(3 * TMyFF::kBlockSize + 7, 'c') + needle);
    tmp.writeFile("start", needle + std::string(TMyFF::kBlockSize, 'c'));
    // Nearly there in each block, never whole.
    tmp.writeFile("near", std::string(TMyFF::kBlockSize - 8, 'd') + "Boundary-Needl" + std::string(50, 'd'));
    tmp.writeFile("empty", "");
    TMyFF ff;
    ff.setFindString(needle);
    Names scanned;
    ff.OnScanFile = [&](const std::string& p, bool&) { scanned.push_back(p); };
    EXPECT_EQ(sorted(run(ff, tmp.path())), (Names{"end", "split1", "split13", "split5", "split9", "start"}));
    EXPECT_EQ(scanned.size(), 8u);

    // Cheaper tests come first: a file the mask rejects is never opened.
    scanned.clear();
    ff.setMask("split*");
    EXPECT_EQ(run(ff, tmp.path()).size(), 4u);
    EXPECT_EQ(scanned.size(), 4u);
}

TEST(Finder, FifoIsListedButNeverOpened) {
    test::TempDir tmp;
    ASSERT_EQ(::mkfifo((tmp / "pipe").c_str(), 0644), 0);
    tmp.writeFile("file", "needle");
    TMyFF ff;
    EXPECT_EQ(sorted(run(ff, tmp.path())), (Names{"file", "pipe"}));
    // Opening the FIFO for reading would wait for a writer forever.
    ff.setFindString("needle");
    bool ok = false;
    EXPECT_EQ(run(ff, tmp.path(), &ok), Names{"file"});
    EXPECT_TRUE(ok);
}

TEST(Finder, LinksAreNotFollowedIntoFoldersAndLoopsEnd) {
    test::TempDir tmp;
    tmp.writeFile("real/inner/file.txt", "x");
    tmp.makeLink("real/inner/up", "../..");  // a loop back to the root
    tmp.makeLink("real/self", ".");
    tmp.makeLink("linked.txt", "real/inner/file.txt");
    tmp.makeLink("dangling.txt", "no-such-file");
    TMyFF ff;
    ff.setMask("*.txt");
    bool ok = false;
    Names found = sorted(run(ff, tmp.path(), &ok));
    EXPECT_TRUE(ok);
    // A link to a file is a file; a link to a folder is neither listed nor entered.
    EXPECT_EQ(found, (Names{"dangling.txt", "linked.txt", "real/inner/file.txt"}));

    // The start folder itself may be a link the user chose.
    tmp.makeLink("start", "real");
    EXPECT_EQ(run(ff, tmp / "start"), Names{"inner/file.txt"});
}

TEST(Finder, UnreadableFolderAndFileAreSkippedSilently) {
    test::TempDir tmp;
    tmp.writeFile("open/seen.txt", "needle");
    std::string closed = tmp.makeDir("closed");
    tmp.writeFile("closed/hidden.txt", "needle");
    std::string secret = tmp.writeFile("secret.txt", "needle");
    ::chmod(secret.c_str(), 0);
    ::chmod(closed.c_str(), 0);
    Names byName, byContent;
    bool ok1 = false, ok2 = false;
    withoutPermissionOverride([&] {
        TMyFF ff;
        ff.setMask("*.txt");
        byName = sorted(run(ff, tmp.path(), &ok1));
        ff.setFindString("NEEDLE");
        byContent = sorted(run(ff, tmp.path(), &ok2));
    });
    ::chmod(closed.c_str(), 0755);
    EXPECT_TRUE(ok1);
    EXPECT_TRUE(ok2);
    EXPECT_EQ(byName, (Names{"open/seen.txt", "secret.txt"}));
    EXPECT_EQ(byContent, Names{"open/seen.txt"});
}

TEST(Finder, MissingStartFolderAndOddNames) {
    test::TempDir tmp;
    TMyFF ff;
    int events = 0;
    ff.OnChDir = [&](const std::string&, bool&) { ++events; };
    EXPECT_FALSE(ff.execute(tmp / "missing"));
    EXPECT_FALSE(ff.execute(tmp.writeFile("plain", "")));
    EXPECT_EQ(events, 0);

    std::string odd = "caf\xe9 \xff\nname.txt";  // not UTF-8, with a newline
    tmp.writeFile("sub/" + odd, "x");
    ff.setMask("*.TXT");
    EXPECT_EQ(run(ff, tmp.path()), Names{"sub/" + odd});

    // Names made of dots are names like any other, folders of them are entered.
    tmp.writeFile("dots/..foo", "");
    tmp.writeFile("dots/.../inner", "");
    tmp.writeFile("dots/....", "");
    ff.setMask("*");
    EXPECT_EQ(sorted(run(ff, tmp / "dots")), (Names{"....", ".../inner", "..foo"}));
}

}  // namespace
}  // namespace arbel

// The parallel tree walk against a one-thread walk and a plain recursive reader, on
// random trees with links, loops, unreadable folders and entries that vanish.

#include "core/walk/tree_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "support/mounts.h"
#include "support/temp_dir.h"

namespace arbel::walk {
namespace {

using Clock = std::chrono::steady_clock;

// Everything a walk saw, as "F path" (entry), "D path/" (folder read) and
// "S path/" (folder not read), in the order seen.
struct Collector : Visitor, Sink {
    std::mutex mu;
    std::vector<std::string> seen;
    bool emitEntries = false;
    void note(std::string s) {
        std::lock_guard lk(mu);
        seen.push_back(std::move(s));
    }
    void folderEntered(Folder& f) override {
        if (!emitEntries) note("D " + f.path());
    }
    void entry(Folder& f, const Entry& e) override {
        if (emitEntries) {
            f.emit(e.name, nullptr, static_cast<uint32_t>(e.type));
        } else {
            note("F " + f.path() + std::string(e.name));
        }
    }
    void folderSkipped(const std::string& path, unsigned, Skip, int) override {
        if (!emitEntries) note("S " + path);
    }
    bool folder(const FolderReport& r) override {
        note((r.why == Skip::None ? "D " : "S ") + r.path);
        return true;
    }
    bool record(const Record& r) override {
        note("F " + r.folder + std::string(r.name));
        return true;
    }
};

std::vector<std::string> walkTree(const std::string& root, Options o, bool* ok = nullptr) {
    Collector c;
    c.emitEntries = o.ordered;
    Control control;
    Walker w(c, control, o);
    const bool done = w.walk(root, o.ordered ? &c : nullptr);
    if (ok) *ok = done;
    return c.seen;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// A plain recursive reader (readdir + lstat) as the reference.
void readTree(const std::string& dir, std::vector<std::string>& out) {
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) {
        out.push_back("S " + dir);
        return;
    }
    out.push_back("D " + dir);
    std::vector<std::string> subs;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (::lstat((dir + name).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            subs.push_back(dir + name + "/");
        } else {
            out.push_back("F " + dir + name);
        }
    }
    ::closedir(d);
    for (const auto& s : subs) readTree(s, out);
}

// A random tree: files, folders, links to files, to ancestors (loops), to "/" and to
// nothing, a FIFO, odd names, and folders nobody but root may read.
void makeTree(const test::TempDir& tmp, const std::string& rel, std::mt19937& rng, int depth,
              std::vector<std::string>* locked) {
    tmp.makeDir(rel);
    const int files = static_cast<int>(rng() % 6);
    for (int i = 0; i < files; ++i)
        tmp.writeFile(rel + "/f" + std::to_string(i), std::string(rng() % 50, 'x'));
    switch (rng() % 6) {
        case 0:
            tmp.makeLink(rel + "/up", "..");
            break;
        case 1:
            tmp.makeLink(rel + "/root", "/");
            break;
        case 2:
            tmp.makeLink(rel + "/dangling", "nowhere");
            break;
        case 3:
            tmp.makeLink(rel + "/tofile", "f0");
            break;
        case 4:
            ::mkfifo((tmp / (rel + "/pipe")).c_str(), 0644);
            break;
        default:
            tmp.writeFile(rel + "/caf\xe9 \n.txt", "x");
    }
    if (depth == 0) return;
    const int subs = static_cast<int>(rng() % 4);
    for (int i = 0; i < subs; ++i) {
        const std::string sub = rel + "/d" + std::to_string(i);
        makeTree(tmp, sub, rng, depth - 1, locked);
        if (locked && rng() % 7 == 0) locked->push_back(tmp / sub);
    }
}

TEST(TreeWalk, ParallelFindsExactlyWhatOneThreadAndAPlainReaderFind) {
    test::TempDir tmp;
    ::chmod(tmp.path().c_str(), 0755);
    std::vector<std::string> roots, locked;
    for (int seed = 0; seed < 50; ++seed) {
        std::mt19937 rng(seed);
        const std::string rel = "s" + std::to_string(seed);
        makeTree(tmp, rel, rng, 4, &locked);
        roots.push_back(tmp / rel);
    }
    // Readable by "nobody", except the locked folders.
    for (const auto& r : roots) {
        std::vector<std::string> all;
        readTree(r + "/", all);
        for (const auto& s : all)
            if (s[0] == 'D') ::chmod(s.substr(2).c_str(), 0755);
    }
    for (const auto& l : locked) ::chmod(l.c_str(), 0);
    const int code = test::asUnprivileged([&] {
        for (size_t i = 0; i < roots.size(); ++i) {
            std::vector<std::string> ref;
            readTree(roots[i] + "/", ref);
            Options one;
            one.threads = 1;
            Options many;
            many.threads = 4;
            const auto a = sorted(walkTree(roots[i], one));
            const auto b = sorted(walkTree(roots[i], many));
            if (a != sorted(ref)) return 1;
            if (b != a) return 2;
            // Depth-first order, whatever the threads.
            one.ordered = many.ordered = true;
            if (walkTree(roots[i], many) != walkTree(roots[i], one)) return 3;
            // With a folder's files before its sub-folders, the reader's order exactly.
            one.filesFirst = many.filesFirst = true;
            if (walkTree(roots[i], one) != ref) return 4;
            if (walkTree(roots[i], many) != ref) return 5;
        }
        return 0;
    });
    for (const auto& l : locked) ::chmod(l.c_str(), 0755);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(locked.empty());
}

// Sub-folders are removed while the walk runs: whatever stays is found exactly once,
// and nothing is reported that never was there.
TEST(TreeWalk, VanishingFoldersNeitherStopNorDuplicateTheWalk) {
    for (int seed = 0; seed < 5; ++seed) {
        test::TempDir tmp;
        std::set<std::string> stable, everything;
        for (int i = 0; i < 60; ++i) {
            const bool gone = i % 2 == 1;
            const std::string d = "t/" + std::string(gone ? "gone" : "keep") + std::to_string(i);
            for (int j = 0; j < 20; ++j) {
                const std::string f = tmp.writeFile(d + "/sub/f" + std::to_string(j), "x");
                everything.insert("F " + f);
                if (!gone) stable.insert("F " + f);
            }
        }
        std::thread remover([&] {
            for (int i = 1; i < 60; i += 2) test::removeTree(tmp / ("t/gone" + std::to_string(i)));
        });
        Options o;
        o.threads = 3;
        o.ordered = seed % 2 == 1;
        const auto seen = walkTree(tmp / "t", o);
        remover.join();
        std::vector<std::string> files;
        for (const auto& s : seen)
            if (s[0] == 'F') files.push_back(s);
        const auto unique = std::set<std::string>(files.begin(), files.end());
        EXPECT_EQ(unique.size(), files.size()) << "seed " << seed;
        for (const auto& s : stable) EXPECT_TRUE(unique.count(s)) << s;
        for (const auto& s : unique) EXPECT_TRUE(everything.count(s)) << s;
    }
}

// Deeper than the walk keeps handles for: the rest is reopened one level at a time.
TEST(TreeWalk, VeryDeepTreeIsWalkedWhole) {
    test::TempDir tmp;
    std::string rel = "t";
    for (int i = 0; i < 200; ++i) {
        tmp.writeFile(rel + "/s/f", "x");
        rel += "/d";
    }
    tmp.makeDir(rel);
    Options o;
    o.threads = 2;
    o.heldHandles = 4;
    bool ok = false;
    const auto seen = walkTree(tmp / "t", o, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const std::string& s) { return s[0] == 'F'; }), 200);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const std::string& s) { return s[0] == 'D'; }), 401);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const std::string& s) { return s[0] == 'S'; }), 0);
}

TEST(TreeWalk, PseudoFileSystemsAndBindLoopsAreNotEntered) {
    Options o;
    bool ok = true;
    EXPECT_EQ(walkTree("/proc", o, &ok), std::vector<std::string>{"S /proc/"});
    EXPECT_FALSE(ok);
    Collector c;
    Control control;
    Walker w(c, control, o);
    EXPECT_FALSE(w.walk("/sys"));
    EXPECT_EQ(w.startSkip(), Skip::Pseudo);
    EXPECT_FALSE(w.walk("/no/such/folder"));
    EXPECT_EQ(w.startSkip(), Skip::Unreadable);
    EXPECT_EQ(w.startError(), ENOENT);

    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root (the CI runs the tests as root)";
    test::TempDir tmp;
    tmp.writeFile("t/a/file", "x");
    tmp.makeDir("t/a/loop");
    test::BindMount loop(tmp / "t", tmp / "t/a/loop");
    ASSERT_TRUE(loop.ok()) << loop.reason();
    for (bool cross : {true, false}) {
        o.crossMounts = cross;
        const auto seen = sorted(walkTree(tmp / "t", o, &ok));
        EXPECT_TRUE(ok);
        // The bind mount is the same file system: the loop guard is what stops it.
        const std::vector<std::string> want{"D " + tmp / "t/", "D " + tmp / "t/a/", "F " + tmp / "t/a/file",
                                            "S " + tmp / "t/a/loop/"};
        EXPECT_EQ(seen, want);
    }
}

// A cancel from another thread stops every worker, even one inside a slow entry.
TEST(TreeWalk, CancelStopsEveryWorkerPromptly) {
    test::TempDir tmp;
    for (int i = 0; i < 200; ++i) tmp.writeFile("t/d" + std::to_string(i) + "/f", "x");
    struct Slow : Visitor {
        Control& control;
        std::atomic<int> inside{0};
        explicit Slow(Control& c) : control(c) {}
        void entry(Folder&, const Entry&) override {
            inside.fetch_add(1);
            // A visitor reading a large file checks the control between blocks.
            while (!control.cancelled()) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    };
    Control control;
    Slow slow(control);
    Options o;
    o.threads = 4;
    Walker w(slow, control, o);
    Clock::time_point cancelledAt;
    std::thread stopper([&] {
        while (slow.inside.load() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        cancelledAt = Clock::now();
        control.cancel();
    });
    EXPECT_FALSE(w.walk(tmp / "t"));
    const auto end = Clock::now();
    stopper.join();
    const auto took = end - cancelledAt;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 50);
    EXPECT_LT(slow.inside.load(), 200);
}

}  // namespace
}  // namespace arbel::walk

#include "core/app/command_line.h"

#include <gtest/gtest.h>

#include "core/app/open_targets.h"
#include "support/temp_dir.h"

namespace arbel::app {
namespace {

using Action = CommandLine::Action;
using Paths = std::vector<std::string>;

CommandLine parse(Paths args, std::string_view cwd = "/home/u") {
    return parseCommandLine(args, cwd);
}

TEST(CommandLine, PathsBecomeAbsoluteAndKeepTheirBytes) {
    const std::string odd = "caf\xe9 \xff\n-x";  // Latin-1, an invalid byte, a newline
    auto cl = parse({"docs", "/tmp/", "./a/../b//c/.", odd, "-", "/"});
    EXPECT_EQ(cl.action, Action::Start);
    EXPECT_EQ(cl.paths, (Paths{"/home/u/docs", "/tmp", "/home/u/b/c", "/home/u/" + odd, "/home/u/-", "/"}));
    EXPECT_EQ(parse({"../../../.."}).paths, Paths{"/"});
    EXPECT_EQ(parse({}).action, Action::Start);
    EXPECT_TRUE(parse({}).paths.empty());
}

TEST(CommandLine, FileUrlsDecodeToBytes) {
    auto cl = parse({"file:///tmp/a%20b", "file://localhost/x/%FF%0A", "FILE:/etc/%2e%2E/srv",
                     "file:///q/a%23b#frag", "file:///r?x=1"});
    EXPECT_EQ(cl.action, Action::Start) << cl.error;
    EXPECT_EQ(cl.paths, (Paths{"/tmp/a b", "/x/\xff\n", "/srv", "/q/a#b", "/r"}));
    EXPECT_EQ(pathOfFileUrl("file:///%e2%82%AC"), "/\xe2\x82\xac");
    EXPECT_EQ(pathOfFileUrl("file://LocalHost/"), "/");
    for (const char* bad : {"file://otherhost/x", "file:///a%2", "file:///a%", "file:///a%zz",
                            "file:///a%00b", "file:relative", "file://", "http:///x"}) {
        EXPECT_EQ(pathOfFileUrl(bad), std::nullopt) << bad;
    }
}

TEST(CommandLine, UrisFromOtherProgramsKeepOnlyLocalFiles) {
    EXPECT_EQ(pathsOfUris({"file:///a/b%20c/", "https://example/x", "/plain/./path", "trash:///", "relative",
                           "file://remote/x", "file:///%C3%BC"}),
              (Paths{"/a/b c", "/plain/path", "/\xc3\xbc"}));
}

TEST(CommandLine, OptionsAndFaults) {
    EXPECT_EQ(parse({"--help"}).action, Action::Help);
    EXPECT_EQ(parse({"/x", "-h"}).action, Action::Help);
    EXPECT_EQ(parse({"--version"}).action, Action::Version);
    EXPECT_EQ(parse({"--version", "--help"}).action, Action::Help);
    EXPECT_EQ(parse({"--bogus", "--version"}).action, Action::Version);
    EXPECT_TRUE(parse({"--help", "/x"}).paths.empty());

    auto unknown = parse({"/x", "--bogus"});
    EXPECT_EQ(unknown.action, Action::Fail);
    EXPECT_NE(unknown.error.find("--bogus"), std::string::npos);
    EXPECT_TRUE(unknown.paths.empty());
    // After "--" everything is a path, options and "--" included.
    auto ended = parse({"--", "--help", "-h", "--"});
    EXPECT_EQ(ended.action, Action::Start);
    EXPECT_EQ(ended.paths, (Paths{"/home/u/--help", "/home/u/-h", "/home/u/--"}));

    for (Paths bad : {Paths{""}, Paths{"sftp://host/x"}, Paths{"http://example/x"}, Paths{"file://far/x"},
                      Paths{std::string("a\0b", 3)}}) {
        EXPECT_EQ(parse(bad).action, Action::Fail) << bad[0];
    }
    // A colon alone does not make a URL: "a:b" is a relative name.
    EXPECT_EQ(parse({"a:b", "c://"}, "/w").action, Action::Fail);
    EXPECT_EQ(parse({"a:b"}, "/w").paths, Paths{"/w/a:b"});
    // Without a current folder only absolute paths can be used.
    EXPECT_EQ(parse({"/abs"}, "").paths, Paths{"/abs"});
    EXPECT_EQ(parse({"rel"}, "").action, Action::Fail);
    EXPECT_NE(usageText().find("--version"), std::string::npos);
    EXPECT_EQ(versionText().rfind("arbel ", 0), 0u);
}

TEST(OpenTargets, FoldersOpenFilesAreSelectedInTheirFolder) {
    test::TempDir dir;
    const std::string odd = "n\xff\nme.txt";
    dir.writeFile("docs/a.txt");
    dir.writeFile("docs/" + odd);
    dir.makeDir("docs/sub");
    dir.makeLink("docs/to-sub", "sub");
    dir.makeLink("docs/dangling", "nowhere");
    const std::string docs = dir / "docs";

    auto r = resolveTargets({docs + "/a.txt", dir / "gone", docs + "/sub", docs + "/" + odd, docs + "/a.txt",
                             docs + "/to-sub", docs + "/dangling", docs},
                            ShowMode::Contents);
    EXPECT_EQ(r.missing, Paths{dir / "gone"});
    ASSERT_EQ(r.targets.size(), 3u);
    // Two files of one folder (and the folder itself) share one window.
    EXPECT_EQ(r.targets[0].folder, docs);
    EXPECT_EQ(r.targets[0].select, (Paths{"a.txt", odd, "dangling"}));
    EXPECT_EQ(r.targets[1].folder, docs + "/sub");
    EXPECT_TRUE(r.targets[1].select.empty());
    // A link to a folder opens under its own path.
    EXPECT_EQ(r.targets[2].folder, docs + "/to-sub");

    // Items are selected in their folder, folders too; "/" has no folder.
    auto items = resolveTargets({docs + "/sub", docs + "/a.txt", "/"}, ShowMode::Item);
    ASSERT_EQ(items.targets.size(), 2u);
    EXPECT_EQ(items.targets[0].folder, docs);
    EXPECT_EQ(items.targets[0].select, (Paths{"sub", "a.txt"}));
    EXPECT_EQ(items.targets[1].folder, "/");
    EXPECT_TRUE(items.targets[1].select.empty());
}

}  // namespace
}  // namespace arbel::app

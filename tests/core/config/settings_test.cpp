// The table of sections and keys, window placement and where the file lives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "core/config/ini_text.h"
#include "core/config/settings.h"
#include "support/temp_dir.h"

namespace arbel::config {
namespace {

using test::TempDir;

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

TEST(SettingsTable, EveryKeyDeclaredOnceAndStorable) {
    std::set<std::string> seen;
    for (const Key& k : allKeys()) {
        EXPECT_TRUE(seen.insert(lowered(k.section) + "/" + lowered(k.name)).second) << k.name;
        EXPECT_TRUE(storableSection(k.section) && storableKey(k.name)) << k.name;
        if (k.type == KeyType::Flag) EXPECT_FALSE(k.onText.empty()) << k.name;
    }
    EXPECT_EQ(seen.size(), 40u);
    EXPECT_EQ(listStyleIndex("Report"), 3);
    EXPECT_EQ(listStyleIndex(""), std::nullopt);
}

TEST(SettingsTable, EmptyValuesReadAsDefaults) {
    TempDir dir;
    IniFile ini(dir / "Arbelwin.cfg");
    EXPECT_EQ(get(ini, keys::GifSpeed), 50);
    EXPECT_TRUE(getBool(ini, keys::ListFolder));
    EXPECT_EQ(getText(ini, keys::DirLoad, "/home/u"), "/home/u");
    EXPECT_FALSE(getFlag(ini, keys::Recycle));

    set(ini, keys::GifSpeed, 10);
    setBool(ini, keys::ListFolder, false);
    setText(ini, keys::DirLoad, "/srv");
    setFlag(ini, keys::Recycle, true);
    setFlag(ini, keys::Replace, true);
    EXPECT_EQ(get(ini, keys::GifSpeed), 10);
    EXPECT_FALSE(getBool(ini, keys::ListFolder));
    EXPECT_EQ(getText(ini, keys::DirLoad, "/home/u"), "/srv");
    EXPECT_EQ(ini.readString("quenby", "recycle", ""), "yes");
    EXPECT_EQ(ini.readString("quenby", "replace", ""), "true");

    // "Restore Default" writes empty values, which read as the defaults again.
    restoreDefault(ini, WindowKind::List);
    setText(ini, keys::DirLoad, "");
    setFlag(ini, keys::Recycle, false);
    EXPECT_TRUE(getBool(ini, keys::ListFolder));
    EXPECT_EQ(getText(ini, keys::DirLoad, "/home/u"), "/home/u");
    EXPECT_FALSE(getFlag(ini, keys::Recycle));
    EXPECT_EQ(ini.readSection("windows").size(), 8u);  // the keys stay, empty
}

TEST(Placement, DefaultsFollowTheClientArea) {
    EXPECT_EQ(defaultPlacement(WindowKind::Tree, 900, 600), (Rect{0, 0, 300, 596}));
    EXPECT_EQ(defaultPlacement(WindowKind::List, 900, 600), (Rect{0, 300, 596, 596}));
    EXPECT_EQ(defaultPlacement(WindowKind::Auto, 901, 600), (Rect{0, 300, 597, 596}));
    EXPECT_EQ(defaultPlacement(WindowKind::Viewer, 900, 601), (Rect{400, 0, 896, 197}));

    TempDir dir;
    IniFile ini(dir / "Arbelwin.cfg");
    EXPECT_EQ(readPlacement(ini, WindowKind::Tree, 900, 600).rect, (Rect{0, 0, 300, 596}));
    // A stored Left moves the default width with it; junk reads as missing.
    ini.writeValues("windows", {{"listl", "100"}, {"listt", "junk"}});
    EXPECT_EQ(readPlacement(ini, WindowKind::List, 900, 600).rect, (Rect{0, 100, 796, 596}));

    writePlacement(ini, WindowKind::Viewer, {false, {1, 2, 3, 4}});
    EXPECT_EQ(readPlacement(ini, WindowKind::Viewer, 900, 600).rect, (Rect{1, 2, 3, 4}));
    writePlacement(ini, WindowKind::Viewer, {true, {}});  // maximised: position keys untouched
    EXPECT_TRUE(readPlacement(ini, WindowKind::Viewer, 900, 600).maximised);
    EXPECT_EQ(ini.readInteger("windows", "viewerw", 0), 3);
    restoreDefault(ini, WindowKind::Viewer);
    Placement p = readPlacement(ini, WindowKind::Viewer, 900, 600);
    EXPECT_FALSE(p.maximised);
    EXPECT_EQ(p.rect, defaultPlacement(WindowKind::Viewer, 900, 600));
}

TEST(Placement, FrameStartsMaximisedUnlessMainmaxIsSet) {
    TempDir dir;
    IniFile ini(dir / "Arbelwin.cfg");
    EXPECT_TRUE(readFramePlacement(ini).maximised);
    EXPECT_TRUE(autoWindowAtStart(ini));

    writeFrameSettings(ini, {false, {10, 20, 800, 600}}, false);
    Placement p = readFramePlacement(ini);
    EXPECT_FALSE(p.maximised);
    EXPECT_EQ(p.rect, (Rect{10, 20, 800, 600}));
    EXPECT_FALSE(autoWindowAtStart(ini));

    // "mainmax" empty with coordinates present: still maximised.
    writeFrameSettings(ini, {true, {}}, true);
    EXPECT_TRUE(readFramePlacement(ini).maximised);
    EXPECT_EQ(ini.readInteger("windows", "mainw", 0), 800);
    EXPECT_TRUE(autoWindowAtStart(ini));
    restoreFrameDefault(ini);
    EXPECT_EQ(ini.readString("windows", "mainw", "x"), "");
}

struct EnvGuard {
    std::string name;
    std::optional<std::string> old;
    EnvGuard(std::string n, const char* value) : name(std::move(n)) {
        if (const char* v = std::getenv(name.c_str())) old = v;
        value ? ::setenv(name.c_str(), value, 1) : ::unsetenv(name.c_str());
    }
    ~EnvGuard() { old ? ::setenv(name.c_str(), old->c_str(), 1) : ::unsetenv(name.c_str()); }
};

TEST(ConfigPath, ProgramFolderOrXdg) {
    TempDir dir;
    EnvGuard xdg("XDG_CONFIG_HOME", (dir / "xdg").c_str());
    EnvGuard home("HOME", (dir / "home").c_str());
    std::string missing = dir / "no/such/bin";
    EXPECT_EQ(configPath(missing), dir / "xdg/arbel/Arbelwin.cfg");
    {
        EnvGuard relative("XDG_CONFIG_HOME", "relative/cfg");
        EXPECT_EQ(configPath(missing), dir / "home/.config/arbel/Arbelwin.cfg");
    }
    // A portable install: the program's folder holds the file. Root may write
    // everywhere, so for root only a file already there counts.
    std::string bin = dir.makeDir("bin");
    if (::geteuid() == 0) {
        EXPECT_EQ(configPath(bin + "/"), dir / "xdg/arbel/Arbelwin.cfg");
        dir.writeFile("bin/Arbelwin.cfg");
    }
    EXPECT_EQ(configPath(bin + "/"), bin + "/Arbelwin.cfg");
}

// configPath as an ordinary user sees it (root may write anywhere, so the
// writable-folder rule is checked in a child that dropped to "nobody").
std::string configPathAsUser(const std::string& programDir) {
    int fds[2];
    if (::pipe(fds) != 0) return "<pipe failed>";
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        std::string out = configPath(programDir);
        ssize_t n = ::write(fds[1], out.data(), out.size());
        ::_exit(n == ssize_t(out.size()) ? 0 : 4);
    }
    ::close(fds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? out : "<child failed>";
}

TEST(ConfigPath, InstalledProgramNeverKeepsSettingsBesideItself) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    EnvGuard xdg("XDG_CONFIG_HOME", (dir / "xdg").c_str());
    // A build folder and a user's own prefix, both writable by their owner.
    std::string build = dir.makeDir("build");
    std::string bin = dir.makeDir("prefix/bin");
    dir.writeFile("prefix/share/applications/arbel.desktop", "[Desktop Entry]\n");
    for (const std::string& d : {build, bin}) {
        ::chmod(d.c_str(), 0777);
    }
    EXPECT_EQ(configPathAsUser(build), build + "/Arbelwin.cfg");
    EXPECT_EQ(configPathAsUser(bin), dir / "xdg/arbel/Arbelwin.cfg");
    // Not even a settings file that someone left there makes it portable.
    dir.writeFile("prefix/bin/Arbelwin.cfg");
    EXPECT_EQ(configPath(bin), dir / "xdg/arbel/Arbelwin.cfg");
    EXPECT_EQ(configPathAsUser(bin + "/"), dir / "xdg/arbel/Arbelwin.cfg");
    // The build folder of a root build holding its file stays portable for root.
    dir.writeFile("build/Arbelwin.cfg");
    EXPECT_EQ(configPath(build), build + "/Arbelwin.cfg");
}

}  // namespace
}  // namespace arbel::config

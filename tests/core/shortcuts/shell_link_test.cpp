// Shortcuts are checked by their real readers: desktop-file-validate must accept
// every file, and GLib's own Desktop Entry parser must start the recording script
// with exactly the arguments and folder the shortcut names, or give back the very
// bytes of a link's target.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/launch/launch.h"
#include "core/shortcuts/shell_link.h"
#include "core/shortcuts/shortcut_info.h"
#include "platform/mime_apps.h"
#include "support/temp_dir.h"

namespace arbel::shortcuts {
namespace {

using test::readFile;
using test::TempDir;

std::string realFolder(const std::string& p) {
    char buf[PATH_MAX];
    return realpath(p.c_str(), buf) ? std::string(buf) : p;
}

bool validates(const std::string& file) {
    const std::string command = "desktop-file-validate '" + file + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// GLib's reading of a link entry: the local path of its URL.
std::string linkTargetByGio(const std::string& file) {
    GKeyFile* keys = g_key_file_new();
    std::string out;
    if (g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_NONE, nullptr)) {
        gchar* type = g_key_file_get_string(keys, "Desktop Entry", "Type", nullptr);
        gchar* url = g_key_file_get_string(keys, "Desktop Entry", "URL", nullptr);
        if (type && std::string(type) == "Link" && url) {
            GFile* f = g_file_new_for_uri(url);
            if (gchar* p = g_file_get_path(f)) {
                out = p;
                g_free(p);
            }
            g_object_unref(f);
        }
        g_free(type);
        g_free(url);
    }
    g_key_file_free(keys);
    return out;
}

class ShellLink : public ::testing::Test {
protected:
    TempDir dir;
    std::string record = dir / "record";

    void SetUp() override {
        sharedDesktop();
        setenv("ARBEL_TEST_RECORD", record.c_str(), 1);
    }

    // GLib reads the XDG folders once per process: one home for every test.
    static const TempDir& sharedDesktop() {
        static TempDir home;
        static bool made = false;
        if (!made) {
            made = true;
            setenv("HOME", home.path().c_str(), 1);
            setenv("XDG_DATA_HOME", home.makeDir("data").c_str(), 1);
            setenv("XDG_CONFIG_HOME", home.makeDir("config").c_str(), 1);
            home.writeFile("config/user-dirs.dirs",
                           "XDG_DESKTOP_DIR=\"$HOME/My Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
            // Files "*.arbelshort" open with a recorder, for opening link entries.
            const std::string script =
                home.writeFile("bin/opener",
                               "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$ARBEL_TEST_RECORD.part\"\n"
                               "mv \"$ARBEL_TEST_RECORD.part\" \"$ARBEL_TEST_RECORD\"\n");
            chmod(script.c_str(), 0755);
            home.writeFile("data/mime/packages/arbel-test.xml",
                           "<?xml version=\"1.0\"?>\n<mime-info "
                           "xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                           "<mime-type type=\"application/x-arbel-shortcut-test\">"
                           "<glob pattern=\"*.arbelshort\" weight=\"90\"/></mime-type>\n</mime-info>\n");
            EXPECT_TRUE(updateMimeDatabase(home / "data/mime").ok());
            home.writeFile("data/applications/arbel-opener.desktop",
                           "[Desktop Entry]\nType=Application\nName=Opener\nExec=\"" + script +
                               "\" --opened %f\nMimeType=application/x-arbel-shortcut-test;\n");
            home.writeFile(
                "config/mimeapps.list",
                "[Default Applications]\napplication/x-arbel-shortcut-test=arbel-opener.desktop\n");
        }
        return home;
    }

    std::string recorder(const std::string& relative) {
        const std::string path =
            dir.writeFile(relative,
                          "#!/bin/sh\n"
                          "printf '%s\\0' \"$(pwd -P)\" \"$0\" \"$@\" > \"$ARBEL_TEST_RECORD.part\"\n"
                          "mv \"$ARBEL_TEST_RECORD.part\" \"$ARBEL_TEST_RECORD\"\n");
        chmod(path.c_str(), 0755);
        return path;
    }

    // The recorder's folder, its own name and its arguments.
    std::vector<std::string> waitForRecord() {
        for (int i = 0; i < 200 && !test::exists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string raw = readFile(record);
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t i = 0; i < raw.size(); ++i)
            if (raw[i] == '\0') {
                fields.push_back(raw.substr(start, i - start));
                start = i + 1;
            }
        return fields;
    }

    // Starts the entry as the desktop does, through GLib's own parser.
    bool launchByGio(const std::string& file) {
        GDesktopAppInfo* app = g_desktop_app_info_new_from_filename(file.c_str());
        if (!app) return false;
        const gboolean ok = g_app_info_launch(G_APP_INFO(app), nullptr, nullptr, nullptr);
        g_object_unref(app);
        return ok;
    }
};

TEST_F(ShellLink, ProgramWithOddNameStartsWithItsArgumentsAndFolder) {
    // Every character the two layers of quoting must protect.
    const std::string folder = dir.makeDir("work \"dir\" 100%");
    const std::string program = recorder("bin/my \"odd\" 100% back\\slash $HOME `x` 'q' #1.sh");
    TPBShellLink link;
    link.Target = program;
    link.WorkingDir = folder;
    link.Description = "  runs the recorder\tnow ";
    link.Arguments = R"(plain "two words" 'it"s' 50%d back\\slash "%f" "" $USER)";
    link.setFileName(dir / "out/Shortcut to odd");
    dir.makeDir("out");
    ASSERT_TRUE(link.writesApplication());
    ASSERT_TRUE(link.write().ok());

    const std::string file = dir / "out/Shortcut to odd.desktop";
    EXPECT_TRUE(validates(file)) << readFile(file);
    EXPECT_EQ(modeOf(file), 0755);
    ASSERT_TRUE(launchByGio(file)) << readFile(file);
    const auto got = waitForRecord();
    EXPECT_EQ(got, (std::vector<std::string>{realFolder(folder), program, "plain", "two words", "it\"s",
                                             "50%d", "back\\slash", "%f", "", "$USER"}));

    GDesktopAppInfo* app = g_desktop_app_info_new_from_filename(file.c_str());
    ASSERT_TRUE(app);
    EXPECT_STREQ(g_app_info_get_name(G_APP_INFO(app)), "Shortcut to odd");
    EXPECT_STREQ(g_app_info_get_description(G_APP_INFO(app)), "  runs the recorder\tnow ");
    g_object_unref(app);
}

TEST_F(ShellLink, DocumentsFoldersAndNonUtf8ProgramsBecomeLinksThatKeepEveryByte) {
    const std::string doc = dir.writeFile("d/report #1 100% caf\xe9.txt", "x");
    const std::string folder = dir.makeDir("d/sub folder\xff");
    const std::string program = recorder("d/r\xff.sh");
    const std::string badArgs = recorder("d/plain.sh");
    const std::string percentAndEquals = recorder("d/a=1%.sh");
    dir.makeDir("out");
    int n = 0;
    for (const auto& [target, args] : std::vector<std::pair<std::string, std::string>>{
             {doc, ""}, {folder, ""}, {program, ""}, {badArgs, "caf\xe9"}, {percentAndEquals, ""}}) {
        TPBShellLink link;
        link.Target = target;
        link.Arguments = args;
        link.Description = target;  // not UTF-8: shown with replacement characters
        link.setFileName(dir / ("out/link\xfe" + std::to_string(n++)));
        EXPECT_FALSE(link.writesApplication()) << target;
        ASSERT_TRUE(link.write().ok()) << target;
        EXPECT_TRUE(validates(link.FileName())) << readFile(link.FileName());
        EXPECT_EQ(linkTargetByGio(link.FileName()), target);
        EXPECT_EQ(modeOf(link.FileName()), 0755);
    }
}

TEST_F(ShellLink, NameGetsOneExtensionAndSpecialFolderMovesIt) {
    TPBShellLink link;
    link.setFileName("/x/notes");
    EXPECT_EQ(link.FileName(), "/x/notes.desktop");
    link.setFileName("/x/Notes.DeskTop");
    EXPECT_EQ(link.FileName(), "/x/Notes.DeskTop");
    link.setFileName("/x/notes.desktop.txt");
    EXPECT_EQ(link.FileName(), "/x/notes.desktop.txt.desktop");

    const TempDir& home = sharedDesktop();
    ASSERT_TRUE(link.setShellFolder(TShellFolder::sfDesktop));
    EXPECT_EQ(link.FileName(), home / "My Desk/notes.desktop.txt.desktop");
    link.setFileName("/elsewhere/Tool");
    EXPECT_EQ(link.FileName(), home / "My Desk/Tool.desktop");
    ASSERT_TRUE(link.setShellFolder(TShellFolder::sfStartMenu));
    EXPECT_EQ(link.FileName(), home / "data/applications/Tool.desktop");

    for (TShellFolder none : {TShellFolder::sfFavorites, TShellFolder::sfRecent, TShellFolder::sfSendTo}) {
        EXPECT_FALSE(link.setShellFolder(none));
        EXPECT_EQ(link.ShellFolder(), TShellFolder::sfStartMenu);
        EXPECT_EQ(link.FileName(), home / "data/applications/Tool.desktop");
    }
    EXPECT_EQ(shellFolderPath(TShellFolder::sfPersonal), home / "Docs");
    EXPECT_EQ(shellFolderPath(TShellFolder::sfTemplates), home / "Templates");
    EXPECT_EQ(shellFolderPath(TShellFolder::sfStartup), home / "config/autostart");
    EXPECT_EQ(shellFolderPath(TShellFolder::sfFonts), home / "data/fonts");
}

TEST_F(ShellLink, WritingReplacesFileOrLinkButNeverAFolderOrWhatALinkPointsTo) {
    const std::string target = dir.writeFile("t.txt", "x");
    const std::string elsewhere = dir.writeFile("elsewhere.desktop", "keep me");
    TPBShellLink link;
    link.Target = target;

    // An old shortcut of the name is replaced, whatever its mode was.
    const std::string old = dir.writeFile("a.desktop", "old");
    chmod(old.c_str(), 0600);
    link.setFileName(old);
    const mode_t mask = umask(077);
    ASSERT_TRUE(link.write().ok());
    umask(mask);
    EXPECT_EQ(linkTargetByGio(old), target);
    EXPECT_EQ(modeOf(old), 0755);

    // A symbolic link of the name is itself replaced; its target stays.
    const std::string viaLink = dir.makeLink("b.desktop", elsewhere);
    link.setFileName(viaLink);
    ASSERT_TRUE(link.write().ok());
    EXPECT_EQ(readFile(elsewhere), "keep me");
    EXPECT_EQ(linkTargetByGio(viaLink), target);

    // A folder of the name is refused and left alone.
    const std::string folder = dir.makeDir("c.desktop");
    dir.writeFile("c.desktop/inside", "1");
    link.setFileName(folder);
    EXPECT_FALSE(link.write().ok());
    EXPECT_EQ(readFile(folder + "/inside"), "1");

    // A missing folder and a relative target are failures, not silence.
    link.setFileName(dir / "missing/d.desktop");
    EXPECT_FALSE(link.write().ok());
    link.Target = "relative.txt";
    link.setFileName(dir / "e.desktop");
    EXPECT_FALSE(link.write().ok());
    EXPECT_FALSE(test::exists(dir / "e.desktop"));
}

TEST_F(ShellLink, FailedWriteKeepsTheOldShortcutWhole) {
    const std::string target = dir.writeFile("t.txt", "x");
    const std::string before = "[Desktop Entry]\nType=Link\nName=a\nURL=file:///old\n";
    const std::string old = dir.writeFile("a.desktop", before);
    TPBShellLink link;
    link.Target = target;
    link.Description = std::string(4000, 'd');
    link.setFileName(old);

    // A full disk: writes beyond 100 bytes fail.
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const Status written = link.write();
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(written.ok());
    EXPECT_EQ(readFile(old), before);
    // No temporary file is left beside it.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.desktop", "t.txt"}));
}

// Shortcut Properties reads back exactly what was written, for both kinds, and
// reads other launchers' Exec lines as the desktop does.
TEST_F(ShellLink, PropertiesReadBackWhatWasWritten) {
    const std::string program = recorder("p/run 100% \"x\".sh");
    dir.makeDir("out");
    TPBShellLink app;
    app.Target = program;
    app.WorkingDir = dir / "p";
    app.Arguments = R"("a b" 'c\d' 5%)";
    app.Description = "Runs\nit";
    app.FileIcon.FileName = "utilities-terminal";
    app.setFileName(dir / "out/app");
    ASSERT_TRUE(app.write().ok());
    ShortcutInfo a = readShortcut(app.FileName());
    EXPECT_EQ(a.type, "Application");
    EXPECT_EQ(a.target, program);
    EXPECT_EQ(a.arguments, (std::vector<std::string>{"a b", "c\\d", "5%"}));
    EXPECT_EQ(a.workingDir, dir / "p");
    EXPECT_EQ(a.description, "Runs\nit");
    EXPECT_EQ(a.icon, "utilities-terminal");

    TPBShellLink link;
    link.Target = dir.writeFile("p/caf\xe9 #1.txt");
    link.setFileName(dir / "out/doc");
    ASSERT_TRUE(link.write().ok());
    EXPECT_EQ(readShortcut(link.FileName()).target, link.Target);

    EXPECT_EQ(execWords("gimp-2.10 %U"), (std::vector<std::string>{"gimp-2.10"}));
    EXPECT_EQ(execWords(R"(sh -c "echo 100%% \"q\"" %f)"),
              (std::vector<std::string>{"sh", "-c", "echo 100% \"q\""}));
    EXPECT_FALSE(execWords("broken \"quote"));
    EXPECT_FALSE(readShortcut(dir.writeFile("plain.desktop", "no group\n")).readable);
}

// Arbel opens its own document shortcuts: a link entry opens its target with the
// target's default application.
TEST_F(ShellLink, OpeningALinkEntryOpensItsTarget) {
    const std::string doc = dir.writeFile("my doc #1 100%.arbelshort", "x");
    TPBShellLink link;
    link.Target = doc;
    link.setFileName(dir / "doc");
    ASSERT_TRUE(link.write().ok());
    const launch::Launched opened = launch::executeFile(link.FileName(), {}, {});
    ASSERT_TRUE(opened.ok()) << opened.message;
    EXPECT_EQ(waitForRecord(), (std::vector<std::string>{"--opened", doc}));
}

}  // namespace
}  // namespace arbel::shortcuts

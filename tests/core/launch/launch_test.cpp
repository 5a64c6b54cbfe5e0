// Starting real programs: a recording script in a temporary folder writes down the
// folder it runs in and every argument it gets, so each test sees exactly what a
// started program would.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/launch/launch.h"
#include "support/temp_dir.h"

namespace arbel::launch {
namespace {

using test::readFile;
using test::TempDir;

std::string currentFolder() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

std::string realFolder(const std::string& p) {
    char buf[PATH_MAX];
    return realpath(p.c_str(), buf) ? std::string(buf) : p;
}

// What the recording script wrote: its working folder, then its arguments.
struct Record {
    std::string folder;
    std::vector<std::string> args;
};

class Launching : public ::testing::Test {
protected:
    TempDir dir;
    std::string recordFile = dir / "record";

    void SetUp() override {
        sharedDesktop();
        setenv("ARBEL_TEST_RECORD", recordFile.c_str(), 1);
    }

    // A script that records its folder and arguments (NUL-separated) and then
    // renames the record into place, so a reader never sees half of it.
    std::string recorder(const std::string& relative, bool executable = true) {
        const std::string path = dir.writeFile(relative,
                                               "#!/bin/sh\n"
                                               "printf '%s\\0' \"$(pwd -P)\" \"$@\" > '" +
                                                   recordFile +
                                                   ".part'\n"
                                                   "mv '" +
                                                   recordFile + ".part' '" + recordFile + "'\n");
        chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }

    Record waitForRecord() {
        for (int i = 0; i < 200 && !test::exists(recordFile); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string raw = readFile(recordFile);
        Record r;
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t i = 0; i < raw.size(); ++i)
            if (raw[i] == '\0') {
                fields.push_back(raw.substr(start, i - start));
                start = i + 1;
            }
        if (fields.empty()) return r;
        r.folder = fields.front();
        r.args.assign(fields.begin() + 1, fields.end());
        return r;
    }

    // GLib reads the XDG folders, the content types and the applications once per
    // process, so the desktop the tests see is made once, before the first look:
    // only what is put here exists. Its test content type "*.arbeltest" opens with
    // a recorder that writes to $ARBEL_TEST_RECORD.
    static void sharedDesktop() {
        static TempDir xdg;
        static bool made = false;
        if (made) return;
        made = true;
        setenv("XDG_DATA_HOME", xdg.makeDir("data").c_str(), 1);
        setenv("XDG_DATA_DIRS", xdg.makeDir("sysdata").c_str(), 1);
        setenv("XDG_CONFIG_HOME", xdg.makeDir("config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", xdg.makeDir("sysconfig").c_str(), 1);
        const std::string script =
            xdg.writeFile("bin/recorder",
                          "#!/bin/sh\n"
                          "printf '%s\\0' \"$(pwd -P)\" \"$@\" > \"$ARBEL_TEST_RECORD.part\"\n"
                          "mv \"$ARBEL_TEST_RECORD.part\" \"$ARBEL_TEST_RECORD\"\n");
        chmod(script.c_str(), 0755);
        xdg.writeFile("data/mime/globs2", "50:application/x-arbel-test:*.arbeltest\n");
        xdg.writeFile("data/applications/arbel-recorder.desktop",
                      "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + script +
                          "\" --opened %f\nMimeType=application/x-arbel-test;\n");
        xdg.writeFile("config/mimeapps.list",
                      "[Default Applications]\napplication/x-arbel-test=arbel-recorder.desktop\n");
    }
};

TEST_F(Launching, RunDialogCommandRunsInShownFolderWithShellLikeWords) {
    const std::string shown = dir.makeDir("shown");
    recorder("shown/rec.sh");
    const std::string before = currentFolder();

    // A name relative to the shown folder, arguments with blanks, quotes and
    // characters a shell would expand.
    auto plan = planRun(shown, R"(rec.sh "two words" 'it"s' don\'t $HOME *  "")");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->argv.front(), shown + "/rec.sh");
    EXPECT_TRUE(startRun(*plan).ok());
    const Record r = waitForRecord();
    EXPECT_EQ(r.folder, realFolder(shown));
    EXPECT_EQ(r.args, (std::vector<std::string>{"two words", "it\"s", "don't", "$HOME", "*", ""}));
    EXPECT_EQ(currentFolder(), before);  // never our own folder
}

TEST_F(Launching, RunDialogFindsNonUtf8NamesAndAbsolutePaths) {
    const std::string shown = dir.makeDir("sh\xe9own");
    const std::string script = recorder("sh\xe9own/r\xff.sh");
    auto plan = planRun(shown, "r\xff.sh \"caf\xe9 bar\"");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->argv.front(), script);
    ASSERT_TRUE(startRun(*plan).ok());
    Record r = waitForRecord();
    EXPECT_EQ(r.folder, realFolder(shown));
    EXPECT_EQ(r.args, std::vector<std::string>{"caf\xe9 bar"});

    // The same program by its full name, run from another shown folder.
    unlink(recordFile.c_str());
    const std::string other = dir.makeDir("other");
    plan = planRun(other, "'" + script + "'");
    ASSERT_TRUE(plan);
    ASSERT_TRUE(startRun(*plan).ok());
    r = waitForRecord();
    EXPECT_EQ(r.folder, realFolder(other));
    EXPECT_TRUE(r.args.empty());
}

TEST_F(Launching, RunDialogRefusesWhatItCannotRun) {
    const std::string shown = dir.makeDir("shown");
    dir.makeDir("shown/sub");
    EXPECT_FALSE(planRun(shown, "no-such-program-anywhere"));
    EXPECT_FALSE(planRun(shown, "sub"));                // a folder is not a program
    EXPECT_FALSE(planRun(shown, "./missing.sh"));       // a path is not looked up on the PATH
    EXPECT_FALSE(planRun(shown, "rec.sh \"unclosed"));  // an open quote is not guessed at
    EXPECT_FALSE(planRun(shown, "   "));
    // A program on the PATH is found by its bare name.
    auto plan = planRun(shown, "sh -c true");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->argv.front().front(), '/');
    EXPECT_EQ(plan->argv.size(), 3u);
}

TEST_F(Launching, FailuresSayWhatCouldNotStartAndWhy) {
    const std::string head =
        "Unable to launch " + (dir / "gone") + "\n\rThe application or associated application is invalid.";
    Launched missing = executeFile(dir / "gone", {}, {});
    EXPECT_EQ(missing.code, -1);
    EXPECT_EQ(missing.message.substr(0, head.size()), head);
    EXPECT_GT(missing.message.size(), head.size());  // and why

    // A program that exists but whose working folder does not: the start fails.
    const std::string script = recorder("rec.sh");
    Launched noFolder = executeFile(script, {}, dir / "no-folder");
    EXPECT_EQ(noFolder.code, -1);
    EXPECT_NE(noFolder.message.find("Unable to launch " + script), std::string::npos);

    // A document of a kind no application opens.
    const std::string doc = dir.writeFile("plain.arbelnone", "text");
    Launched noApp = openItem(doc);
    EXPECT_EQ(noApp.code, -1);
    EXPECT_NE(noApp.message.find("no application"), std::string::npos);
    EXPECT_FALSE(test::exists(recordFile));
}

TEST_F(Launching, DocumentOpensWithTheDefaultApplicationOfItsType) {
    const std::string doc = dir.writeFile("docs/report \xe9.arbeltest", "anything");

    Launched l = openItem(doc);
    ASSERT_TRUE(l.ok()) << l.message;
    const Record r = waitForRecord();
    EXPECT_EQ(r.args, (std::vector<std::string>{"--opened", doc}));
}

TEST_F(Launching, DesktopEntryFilesStartTheirApplication) {
    const std::string script = recorder("bin/recorder");
    const std::string entry = dir.writeFile(
        "shown/tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\nExec=\"" + script + "\" %F\n");
    chmod(entry.c_str(), 0755);
    const std::string file = dir.writeFile("shown/a b.txt", "x");

    auto plan = planRun(dir / "shown", "tool.desktop 'a b.txt'");
    ASSERT_TRUE(plan);
    // The entry's program gets the file as a full name; the entry is never
    // handed to a shell as a script.
    ASSERT_TRUE(startRun(*plan).ok());
    Record r = waitForRecord();
    EXPECT_EQ(r.args, std::vector<std::string>{file});

    // A non-executable entry is a document, not a program: with no application
    // for it, it cannot be opened, and its Exec line never runs.
    unlink(recordFile.c_str());
    chmod(entry.c_str(), 0644);
    EXPECT_FALSE(openItem(entry).ok());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(test::exists(recordFile));
}

TEST_F(Launching, EditorGetsAFileNeverAFolder) {
    const std::string editor = recorder("bin/editor");
    const std::string folder = dir.makeDir("work/notes");
    const std::string file = dir.writeFile("work/notes/todo 1.txt", "x");

    EXPECT_EQ(editorTarget(folder), "");
    EXPECT_EQ(editorTarget(dir / "work/missing"), "");
    EXPECT_EQ(editorTarget(file), file);

    ASSERT_TRUE(startChosenProgram(editor, editorTarget(folder)).ok());
    EXPECT_TRUE(waitForRecord().args.empty());
    unlink(recordFile.c_str());
    ASSERT_TRUE(startChosenProgram(editor, editorTarget(file)).ok());
    EXPECT_EQ(waitForRecord().args, std::vector<std::string>{file});

    // A chosen program that is not one: said so, and the file is not opened
    // by some other application instead.
    const std::string text = recorder("bin/not-a-program", /*executable=*/false);
    Launched l = startChosenProgram(text, file);
    EXPECT_EQ(l.code, -1);
    EXPECT_NE(l.message.find("not a program"), std::string::npos);
    EXPECT_FALSE(startChosenProgram(dir / "bin/none", file).ok());
}

TEST_F(Launching, ChosenDesktopEntryNeedsNoExecuteBit) {
    const std::string script = recorder("bin/recorder");
    const std::string entry = dir.writeFile(
        "apps/ed.desktop", "[Desktop Entry]\nType=Application\nName=Ed\nExec=\"" + script + "\" --edit %f\n");
    const std::string file = dir.writeFile("f.txt", "x");
    ASSERT_TRUE(startChosenProgram(entry, file).ok());
    EXPECT_EQ(waitForRecord().args, (std::vector<std::string>{"--edit", file}));

    const std::string broken = dir.writeFile("apps/broken.desktop", "[Desktop Entry]\nType=Application\n");
    EXPECT_EQ(startChosenProgram(broken, file).code, -1);
}

}  // namespace
}  // namespace arbel::launch

// Associations in a private XDG_DATA_HOME / XDG_CONFIG_HOME over the system's
// MIME database, checked by the desktop's own tools run as separate programs (a
// fresh GIO each time, as another program would see it): gio, xdg-mime and
// desktop-file-validate.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/assoc/associations.h"
#include "support/temp_dir.h"

namespace arbel::assoc {
namespace {

using test::exists;
using test::readFile;
using test::TempDir;

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

class Associations : public ::testing::Test {
protected:
    TempDir home;
    Folders folders{home.makeDir("data"), home.makeDir("config")};
    AssociationStore store{folders};
    std::string record = home / "record";

    void SetUp() override {
        setenv("HOME", home.path().c_str(), 1);
        setenv("XDG_DATA_HOME", folders.dataHome.c_str(), 1);
        setenv("XDG_CONFIG_HOME", folders.configHome.c_str(), 1);
        setenv("XDG_DATA_DIRS", "/usr/share", 1);
        setenv("XDG_CONFIG_DIRS", home.makeDir("sysconfig").c_str(), 1);
        setenv("XDG_CURRENT_DESKTOP", "X-Generic", 1);
        setenv("ARBEL_TEST_RECORD", record.c_str(), 1);
    }

    std::string recorder(const std::string& relative) {
        const std::string path = home.writeFile(relative,
                                                "#!/bin/sh\n"
                                                "printf '%s\\0' \"$@\" > \"$ARBEL_TEST_RECORD.part\"\n"
                                                "mv \"$ARBEL_TEST_RECORD.part\" \"$ARBEL_TEST_RECORD\"\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string typeOf(const std::string& file) {
        const std::string line = run("gio info -a standard::content-type '" + file + "' | grep content-type");
        const size_t colon = line.rfind(": ");
        return colon == std::string::npos ? line : line.substr(colon + 2);
    }
    std::string defaultOf(const std::string& type) {
        const std::string line = run("gio mime '" + type + "' | head -1");
        const size_t colon = line.rfind(": ");
        return colon == std::string::npos ? std::string() : line.substr(colon + 2);
    }
};

TEST_F(Associations, NewProgramOpensTheExtensionEverywhereAndRemovalRestores) {
    const std::string doc = home.writeFile("docs/x.arbeltest", "hello\n");
    const std::string before = typeOf(doc);
    ASSERT_FALSE(before.empty());
    ASSERT_NE(before, "application/x-arbel-arbeltest");
    const std::string program = recorder("bin/my rec 100%.sh");

    ASSERT_TRUE(store.registerProgram(".arbeltest.", "Arbel test & <files>", program).ok());
    EXPECT_TRUE(store.ownsExtension("ARBELTEST"));
    const std::string entry = store.appEntryPath("arbeltest");
    EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "' >/dev/null").c_str()), 0)
        << readFile(entry);
    EXPECT_EQ(typeOf(doc), "application/x-arbel-arbeltest");
    EXPECT_EQ(defaultOf("application/x-arbel-arbeltest"), "arbel-arbeltest.desktop");
    EXPECT_EQ(run("xdg-mime query default application/x-arbel-arbeltest"), "arbel-arbeltest.desktop");
    EXPECT_NE(run("gio mime application/x-arbel-arbeltest").find("arbel-arbeltest.desktop"),
              std::string::npos);

    // The desktop's opener hands the file to the program, whole.
    ASSERT_EQ(std::system(("gio open '" + doc + "'").c_str()), 0);
    for (int i = 0; i < 200 && !exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(readFile(record), doc + std::string(1, '\0'));

    ASSERT_TRUE(store.removeAssociation("arbeltest").ok());
    EXPECT_EQ(typeOf(doc), before);
    EXPECT_EQ(defaultOf("application/x-arbel-arbeltest"), "");
    EXPECT_FALSE(exists(entry));
    EXPECT_FALSE(exists(store.packagePath("arbeltest")));
    EXPECT_EQ(readFile(store.mimeAppsPath()).find("arbel"), std::string::npos);
}

TEST_F(Associations, MimeappsListKeepsEveryOtherLineByteForByte) {
    const std::string original =
        "# my own notes\n"
        "[Default Applications]\n"
        "text/plain=org.example.Editor.desktop;\n"
        "\n"
        "[Added Associations]\n"
        "image/png=org.example.Viewer.desktop;other.desktop;\n"
        "[Removed Associations]\n"
        "text/html=firefox.desktop;\n"
        "# trailing comment\n";
    home.writeFile("config/mimeapps.list", original);
    const std::string program = recorder("bin/rec");
    ASSERT_TRUE(store.registerProgram("arbelkeep", "Kept", program).ok());
    const std::string during = readFile(store.mimeAppsPath());
    EXPECT_NE(during.find("[Default Applications]\ntext/plain=org.example.Editor.desktop;\n"
                          "application/x-arbel-arbelkeep=arbel-arbelkeep.desktop;\n\n"),
              std::string::npos)
        << during;
    EXPECT_NE(during.find("other.desktop;\napplication/x-arbel-arbelkeep=arbel-arbelkeep.desktop;\n[Removed"),
              std::string::npos)
        << during;
    ASSERT_TRUE(store.removeAssociation("arbelkeep").ok());
    EXPECT_EQ(readFile(store.mimeAppsPath()), original);
}

TEST_F(Associations, ExistingModePointsAtATypeAndLeavesItAlone) {
    const std::string doc = home.writeFile("x.arbelsrc", "int main(){}\n");
    ASSERT_TRUE(store.pointAt("arbelsrc", "text/x-csrc").ok());
    EXPECT_EQ(typeOf(doc), "text/x-csrc");
    EXPECT_FALSE(exists(store.mimeAppsPath()));
    EXPECT_FALSE(exists(store.appEntryPath("arbelsrc")));
    EXPECT_FALSE(store.ownsType("text/x-csrc"));

    // Re-pointing an extension that had its own type drops that type's program.
    const std::string program = recorder("bin/rec");
    ASSERT_TRUE(store.registerProgram("arbelmove", "Moving", program).ok());
    ASSERT_TRUE(store.pointAt("arbelmove", "text/plain").ok());
    EXPECT_FALSE(exists(store.appEntryPath("arbelmove")));
    EXPECT_EQ(readFile(store.mimeAppsPath()).find("arbelmove"), std::string::npos);
    EXPECT_EQ(typeOf(home.writeFile("y.arbelmove", "text\n")), "text/plain");
}

TEST_F(Associations, DeleteTypeTakesOnlyArbelsTypesWithTheirExtensions) {
    const std::string program = recorder("bin/rec");
    ASSERT_TRUE(store.registerProgram("arbelone", "One", program).ok());
    ASSERT_TRUE(store.pointAt("arbeltwo", "application/x-arbel-arbelone").ok());
    EXPECT_EQ(typeOf(home.writeFile("a.arbeltwo", "x\n")), "application/x-arbel-arbelone");

    // System types, unknown ones and extensions Arbel never touched are refused,
    // and nothing is written for them.
    for (const char* type : {"text/plain", "application/x-arbel-never", "inode/directory"}) {
        Status s = store.deleteType(type);
        ASSERT_FALSE(s.ok()) << type;
        EXPECT_EQ(s.error().message, kNotOurs);
    }
    EXPECT_FALSE(store.removeAssociation("txt").ok());
    EXPECT_FALSE(exists(store.packagePath("txt")));

    ASSERT_TRUE(store.deleteType("application/x-arbel-arbelone").ok());
    EXPECT_FALSE(exists(store.packagePath("arbelone")));
    EXPECT_FALSE(exists(store.packagePath("arbeltwo")));
    EXPECT_FALSE(exists(store.appEntryPath("arbelone")));
    EXPECT_NE(typeOf(home / "a.arbeltwo"), "application/x-arbel-arbelone");
}

TEST_F(Associations, BadExtensionsAndProgramsAreRefused) {
    const std::string program = recorder("bin/rec");
    for (const char* bad : {"", "...", "a/b", "a b", "x\"y", "caf\xc3\xa9"}) {
        Status s = store.registerProgram(bad, "d", program);
        ASSERT_FALSE(s.ok()) << bad;
        EXPECT_EQ(s.error().message, kInvalidExtension);
    }
    EXPECT_EQ(store.registerProgram("ok", "d", home / "bin/missing").error().message, kInvalidCommand);
    EXPECT_EQ(store.registerProgram("ok", "d", home.makeDir("bin/folder")).error().message, kInvalidCommand);
    EXPECT_EQ(store.registerProgram("ok", "d", recorder("bin/r\xff")).error().message, kUnnamedProgram);
    EXPECT_FALSE(exists(store.packagePath("ok")));
    EXPECT_EQ(normalExtension(".Tar.GZ"), "targz");
}

}  // namespace
}  // namespace arbel::assoc

// The run and go-to dialogs' histories: numbered as the drop-down showed them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/numbered_history.h"
#include "support/temp_dir.h"

namespace arbel::config {
namespace {

using test::readFile;
using test::TempDir;

TEST(NumberedHistory, UsedEntryMovesToKeyOneAndLeavesItsNumberMissing) {
    TempDir dir;
    IniFile ini(dir / "Arbelwin.cfg");
    ini.writeString("Quenby", "editor", "/usr/bin/vi");
    rememberNumbered(ini, "Runs", "/bin/Prog A", {});
    rememberNumbered(ini, "Runs", "/bin/b", ini.readHistory("Runs"));
    rememberNumbered(ini, "Runs", "/bin/c", ini.readHistory("Runs"));
    EXPECT_EQ(readFile(dir / "Arbelwin.cfg"),
              "[Quenby]\neditor=/usr/bin/vi\n\n[Runs]\n1=/bin/c\n2=/bin/b\n3=/bin/Prog A\n");

    // Used again: key 1, and its old key 3 is not written at all. Case is kept.
    rememberNumbered(ini, "Runs", "/bin/Prog A", ini.readHistory("Runs"));
    EXPECT_EQ(readFile(dir / "Arbelwin.cfg"),
              "[Quenby]\neditor=/usr/bin/vi\n\n[Runs]\n1=/bin/Prog A\n2=/bin/c\n3=/bin/b\n");
    // The same command twice in a row: one entry under key 1, key 2 missing.
    rememberNumbered(ini, "Runs", "/bin/Prog A", ini.readHistory("Runs"));
    EXPECT_EQ(readFile(dir / "Arbelwin.cfg"),
              "[Quenby]\neditor=/usr/bin/vi\n\n[Runs]\n1=/bin/Prog A\n3=/bin/c\n4=/bin/b\n");
    EXPECT_EQ(ini.readHistory("Runs"), (std::vector<std::string>{"/bin/Prog A", "/bin/c", "/bin/b"}));
}

TEST(NumberedHistory, KeepsFourteenOlderEntriesAndNoInjectedLines) {
    std::vector<std::string> shown;
    for (int i = 0; i < 20; ++i) shown.push_back("/f" + std::to_string(i));
    const auto lines = numberedHistory("/new", shown);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines.front(), (std::pair<std::string, std::string>{"1", "/new"}));
    EXPECT_EQ(lines.back(), (std::pair<std::string, std::string>{"15", "/f13"}));

    TempDir dir;
    IniFile ini(dir / "Arbelwin.cfg");
    // A folder name holding a line break would add keys of its own choosing.
    rememberNumbered(ini, "Folders", "/a\n[Quenby]\neditor=/evil", {"/b"});
    EXPECT_EQ(readFile(dir / "Arbelwin.cfg"), "[Folders]\n2=/b\n");
}

}  // namespace
}  // namespace arbel::config

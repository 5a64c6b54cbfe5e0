// The filter box's history: its order at start, after each new filter, and what lands
// in the settings file.

#include "core/commands/filter_history.h"

#include <gtest/gtest.h>

#include "core/config/ini_file.h"
#include "support/temp_dir.h"

namespace arbel::commands {
namespace {

using Strings = std::vector<std::string>;

TEST(FilterHistory, LoadsSortedAfterAllFiles) {
    EXPECT_EQ(loadFilterHistory(Strings{"*.txt", "*.C", "", "*.*", "*.a", "*.txt"}),
              (Strings{"*.*", "*.a", "*.C", "*.txt"}));
    EXPECT_EQ(loadFilterHistory(Strings{}), Strings{"*.*"});
}

TEST(FilterHistory, NewFiltersGoFirstAndRepeatsAreKeptOnce) {
    auto list = loadFilterHistory(Strings{"*.b", "*.a"});
    list = rememberFilter(list, "*.exe");
    list = rememberFilter(list, "*.a");
    list = rememberFilter(list, "*.exe");
    EXPECT_EQ(list, (Strings{"*.*", "*.exe", "*.a", "*.b"}));
    // "*.*" is never duplicated or moved, and an empty text is not remembered.
    EXPECT_EQ(rememberFilter(list, "*.*"), list);
    EXPECT_EQ(rememberFilter(list, ""), list);
    // Exact comparison: another spelling is another filter.
    EXPECT_EQ(rememberFilter(list, "*.EXE")[1], "*.EXE");
}

TEST(FilterHistory, SixteenDistinctFiltersKeepTheFourteenNewest) {
    Strings list{"*.*"};
    for (int i = 1; i <= 16; ++i) list = rememberFilter(list, "*." + std::to_string(i));
    ASSERT_EQ(list.size(), kFilterHistoryMax);
    EXPECT_EQ(list[0], "*.*");
    EXPECT_EQ(list[1], "*.16");
    EXPECT_EQ(list.back(), "*.3");
    // A long history loaded from an edited file is cut back on the next change.
    Strings many;
    for (int i = 0; i < 30; ++i) many.push_back("f" + std::to_string(100 + i));
    EXPECT_EQ(rememberFilter(loadFilterHistory(many), "new").size(), kFilterHistoryMax);
}

TEST(FilterHistory, RoundTripsThroughTheSettingsFile) {
    test::TempDir dir;
    config::IniFile ini(dir / "Arbelwin.cfg");
    std::string longFilter = std::string(120, 'x') + "*.log";
    Strings list = rememberFilter(rememberFilter(Strings{"*.*"}, "*.txt"), longFilter);
    list = rememberFilter(list, "bad\nline");
    saveFilterHistory(ini, list);

    std::string text = test::readFile(ini.path());
    EXPECT_EQ(text.find("*.*"), std::string::npos);
    EXPECT_EQ(text.find("bad"), std::string::npos);
    EXPECT_EQ(ini.readString("maskspecs", "1", ""), longFilter);
    EXPECT_EQ(ini.readString("MASKSPECS", "2", ""), "*.txt");

    EXPECT_EQ(loadFilterHistory(ini), (Strings{"*.*", "*.txt", longFilter}));

    // Rewritten whole: an entry dropped from the list leaves the file too.
    saveFilterHistory(ini, Strings{"*.*", "*.c"});
    EXPECT_EQ(loadFilterHistory(ini), (Strings{"*.*", "*.c"}));
}

}  // namespace
}  // namespace arbel::commands

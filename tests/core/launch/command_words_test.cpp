// Splitting a typed command line as a shell splits words, without expanding anything.
#include <gtest/gtest.h>

#include "core/launch/command_words.h"

namespace arbel::launch {
namespace {

using Words = std::vector<std::string>;

TEST(CommandWords, QuotesAndEscapesJoinAndProtect) {
    EXPECT_EQ(*splitCommandWords("  gimp   photo.png\t"), (Words{"gimp", "photo.png"}));
    EXPECT_EQ(*splitCommandWords(R"(a"b c"'d e'f)"), Words{"ab cd ef"});
    EXPECT_EQ(*splitCommandWords(R"('say "hi"' "it's" a\ b)"), (Words{"say \"hi\"", "it's", "a b"}));
    // Inside double quotes only \" \\ \$ \` lose their backslash.
    EXPECT_EQ(*splitCommandWords(R"("a\"b\\c\$d\ne")"), Words{R"(a"b\c$d\ne)"});
    // Inside single quotes a backslash is just a backslash.
    EXPECT_EQ(*splitCommandWords(R"('a\b')"), Words{R"(a\b)"});
    // Empty quoted words stay as empty arguments.
    EXPECT_EQ(*splitCommandWords(R"(x "" '')"), (Words{"x", "", ""}));
}

TEST(CommandWords, NothingIsExpanded) {
    EXPECT_EQ(*splitCommandWords("echo $HOME ~ *.txt `id` $(id) a;b a|b a>b"),
              (Words{"echo", "$HOME", "~", "*.txt", "`id`", "$(id)", "a;b", "a|b", "a>b"}));
}

TEST(CommandWords, BytesPassThrough) {
    EXPECT_EQ(*splitCommandWords("r\xff.sh \"caf\xe9 x\""), (Words{"r\xff.sh", "caf\xe9 x"}));
}

TEST(CommandWords, UnfinishedLinesAreRefused) {
    EXPECT_FALSE(splitCommandWords("prog \"open"));
    EXPECT_FALSE(splitCommandWords("prog 'open"));
    EXPECT_FALSE(splitCommandWords("prog trailing\\"));
    EXPECT_TRUE(splitCommandWords("")->empty());
}

}  // namespace
}  // namespace arbel::launch

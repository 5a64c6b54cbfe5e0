#include "core/lists/masks.h"

#include <gtest/gtest.h>

#include "core/lists/case_fold.h"

namespace arbel::lists {
namespace {

// What a user typing a mask into a folder window sees: which names are listed.
struct MaskCase {
    const char* mask;
    const char* name;
    bool shown;
};

class MaskTable : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskTable, DecidesWhetherNameIsListed) {
    const MaskCase& c = GetParam();
    MaskList list = BuildMaskList(c.mask);
    EXPECT_EQ(MatchesMaskList(c.name, list), c.shown)
        << "mask '" << c.mask << "' (" << JoinMaskList(list) << ") name '" << c.name << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MaskTable,
    ::testing::Values(
        // Empty mask and "*.*" take everything, names without extension too.
        MaskCase{"", "Makefile", true}, MaskCase{"", "a.b.c", true}, MaskCase{"*.*", "README", true},
        MaskCase{"*.*", "x.y", true}, MaskCase{"*", ".bashrc", true},
        // A bare word finds every name that contains it.
        MaskCase{"txt", "mytxtfile.doc", true}, MaskCase{"txt", "a.txt", true},
        MaskCase{"txt", "a.doc", false},
        // A literal with a dot must be the whole name, in any case.
        MaskCase{"readme.txt", "README.TXT", true}, MaskCase{"readme.txt", "readme.txt.bak", false},
        MaskCase{"readme.txt", "xreadme.txt", false},
        // Lists split at ";" and ",", trimmed, case-folded both sides.
        MaskCase{"*.TXT,*.Doc", "A.txt", true}, MaskCase{"*.TXT,*.Doc", "b.DOC", true},
        MaskCase{" *.c ; *.h ", "main.h", true}, MaskCase{"*.TXT,*.Doc", "c.pdf", false},
        // A name without extension is tested with ". " appended.
        MaskCase{"*.", "noext", false}, MaskCase{"*.", "trailing.", true}, MaskCase{"*.txt", "txt", false},
        // Wildcard pieces without a dot get a trailing "*".
        MaskCase{"abc*.txt", "abcdef.txt", true}, MaskCase{"a*b*c", "aXbYcZ", true},
        MaskCase{"ab?", "abcdef", true}, MaskCase{"ab?", "xab.c", false},
        // "?" is exactly one character, a multi-byte one too.
        MaskCase{"*.?", "x.c", true}, MaskCase{"*.?", "x.cc", false}, MaskCase{"a.tx?", "a.txt", true},
        MaskCase{"a.tx?", "a.tx", false}, MaskCase{"?.txt", "\xC3\xA9.txt", true},
        MaskCase{"??.txt", "\xC3\xA9.txt", false},
        // A later occurrence of a literal is tried when the first does not fit.
        MaskCase{"*.txt", "a.txt.txt", true}, MaskCase{"*.tar.gz", "a.tar.b.tar.gz", true},
        MaskCase{"*a*b.c", "xaxaxab.c", true}, MaskCase{"*.txt", "a.txt.bak", false},
        MaskCase{"*x*x*x*.y", "axbxcx.y", true}, MaskCase{"*x*x*x*.y", "axbx.y", false},
        // An empty piece becomes "**", which takes every name.
        MaskCase{"a;;b", "zzz.q", true}, MaskCase{"a;b", "zzz.q", false},
        // Non-ASCII letters fold too; invalid UTF-8 bytes stay as they are.
        MaskCase{"*.TXT", "\xC3\x84RGER.TXT", true}, MaskCase{"\xC3\x84*.txt", "\xC3\xA4rger.txt", true},
        MaskCase{"*.txt", "bad\xFF.txt", true}, MaskCase{"bad\xFF*", "BAD\xFF.dat", true},
        MaskCase{"bad\xFE*", "bad\xFF.dat", false}));

TEST(MaskList, ReadsBackSortedFoldedExpanded) {
    EXPECT_EQ(JoinMaskList(BuildMaskList("*.TXT,*.Doc")), "*.doc;*.txt");
    EXPECT_EQ(JoinMaskList(BuildMaskList("*.TXT, readme")), "*.txt;*readme*");
    EXPECT_EQ(JoinMaskList(BuildMaskList("")), "*");
    EXPECT_EQ(JoinMaskList(BuildMaskList("b;a;B;a")), "*a*;*b*");
    EXPECT_EQ(JoinMaskList(BuildMaskList("a;;b")), "**;*a*;*b*");
}

TEST(MaskList, WithoutExpandKeepsPiecesAndEmptyPieceMatchesNothing) {
    MaskList list = BuildMaskList("readme;;*.c", /*expand=*/false);
    EXPECT_EQ(JoinMaskList(list), ";*.c;readme");
    // "readme" is tested as "readme. " and so is not the literal "readme".
    EXPECT_FALSE(MatchesMaskList("readme", list));
    EXPECT_TRUE(MatchMask("readme", "readme"));
    EXPECT_TRUE(MatchesMaskList("x.c", list));
    EXPECT_FALSE(MatchesMaskList("x.h", list));
}

TEST(MaskList, CaseSensitiveListKeepsCase) {
    MaskList list = BuildMaskList("*.TXT", true, /*caseSensitive=*/true);
    EXPECT_EQ(JoinMaskList(list), "*.TXT");
    EXPECT_TRUE(MatchesMaskList("a.TXT", list, true, true));
    EXPECT_FALSE(MatchesMaskList("a.txt", list, true, true));
}

TEST(MaskList, EmptyNameMatchesAndEmptyListMatchesNothing) {
    EXPECT_TRUE(MatchesMaskList("", BuildMaskList("*.c")));
    EXPECT_FALSE(MatchesMaskList("a.c", MaskList{}));
    EXPECT_TRUE(MaskListTakesAll(BuildMaskList("")));
    EXPECT_TRUE(MaskListTakesAll(BuildMaskList("x;;")));
    EXPECT_FALSE(MaskListTakesAll(BuildMaskList("x;")));
    EXPECT_FALSE(MaskListTakesAll(BuildMaskList("*.*")));
}

TEST(MatchMask, LiteralPatternIsEqualityOrSubstring) {
    EXPECT_TRUE(MatchMask("abc", "abc", true));
    EXPECT_FALSE(MatchMask("xabcx", "abc", true));
    EXPECT_TRUE(MatchMask("xabcx", "abc", false));
    EXPECT_FALSE(MatchMask("abc", "", true));
    EXPECT_FALSE(MatchMask("abc", "", false));
}

TEST(MatchMask, LongPathologicalPatternFinishes) {
    // Exponential backtracking would never finish this one.
    std::string name(2000, 'a');
    std::string pattern;
    for (int i = 0; i < 30; ++i) pattern += "*a";
    pattern += "*b";
    EXPECT_FALSE(MatchMask(name, pattern));
    EXPECT_TRUE(MatchMask(name + "b", pattern));
}

TEST(CaseFold, FoldsUnicodeAndKeepsInvalidBytes) {
    EXPECT_EQ(foldCase("ABC\xC3\x84\xC3\x96"), "abc\xC3\xA4\xC3\xB6");
    EXPECT_EQ(foldCase("\xD0\x9C\xD0\x98\xD0\xA0"), "\xD0\xBC\xD0\xB8\xD1\x80");  // Cyrillic
    EXPECT_EQ(foldCase("A\xFF\xC3"), "a\xFF\xC3");                                // truncated sequence
    EXPECT_EQ(foldCase("\xC0\x81Z"), "\xC0\x81z");                                // overlong form
}

TEST(PatternList, SplitsAtSemicolonAddsSlashDropsDuplicates) {
    TPatternList folders;
    folders.setText("/b;/a/;/a;;/B");
    EXPECT_EQ(folders.text(), "/a/;/B/;/b/");
    folders.setText("");
    EXPECT_TRUE(folders.empty());
    EXPECT_EQ(folders.text(), "");
}

TEST(PatternList, AddKeepsAFolderWhoseNameHoldsASemicolon) {
    TPatternList folders;
    EXPECT_TRUE(folders.add("/tmp/x;y"));
    EXPECT_FALSE(folders.add("/tmp/x;y/"));
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders.folders()[0], "/tmp/x;y/");
    EXPECT_TRUE(folders.add("/"));
    EXPECT_EQ(folders.folders()[0], "/");
}

}  // namespace
}  // namespace arbel::lists

// Change of case: the four transforms on UTF-8 names, and the renames on disk, which
// must never replace another file.

#include "core/commands/case_change.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace arbel::commands {
namespace {

using test::exists;
using test::readFile;
using test::TempDir;

TEST(CaseTransforms, TitleCaseRaisesOnlyAfterSpaces) {
    EXPECT_EQ(changeCase("my HTML files", CaseMode::Title), "My HTML Files");
    EXPECT_EQ(changeCase("MY FILE", CaseMode::Title), "MY FILE");
    EXPECT_EQ(changeCase("a b", CaseMode::Title), "A B");
    EXPECT_EQ(changeCase("a  b", CaseMode::Title), "A  B");
    EXPECT_EQ(changeCase("a ", CaseMode::Title), "A ");
    EXPECT_EQ(changeCase("x-ray of.txt", CaseMode::Title), "X-ray Of.txt");
    EXPECT_EQ(changeCase("", CaseMode::Title), "");
}

TEST(CaseTransforms, SentenceUpperAndLower) {
    EXPECT_EQ(changeCase("README.TXT", CaseMode::Sentence), "Readme.txt");
    EXPECT_EQ(changeCase("README.TXT", CaseMode::Lower), "readme.txt");
    EXPECT_EQ(changeCase("a.txt", CaseMode::Upper), "A.TXT");
    EXPECT_EQ(changeCase(" lead", CaseMode::Sentence), " lead");  // first character is the space
}

TEST(CaseTransforms, WorkOnLettersBeyondAscii) {
    EXPECT_EQ(changeCase("élan vital", CaseMode::Title), "Élan Vital");
    EXPECT_EQ(changeCase("ÉCOLE", CaseMode::Lower), "école");
    EXPECT_EQ(changeCase("αβγ ς", CaseMode::Upper), "ΑΒΓ Σ");
    EXPECT_EQ(changeCase("ПРИВЕТ МИР", CaseMode::Sentence), "Привет мир");
    // Independent of a Turkish-style locale: ASCII i maps to ASCII I.
    EXPECT_EQ(changeCase("file", CaseMode::Upper), "FILE");
    // Letters without a single-character capital stay.
    EXPECT_EQ(changeCase("straße", CaseMode::Upper), "STRAßE");
}

TEST(CaseTransforms, KeepBytesThatAreNotUtf8) {
    EXPECT_EQ(changeCase("a\xff"
                         "b",
                         CaseMode::Upper),
              "A\xff"
              "B");
    EXPECT_EQ(changeCase("\xe9t\xe9", CaseMode::Upper), "\xe9T\xe9");          // Latin-1 bytes
    EXPECT_EQ(changeCase("x\xc3", CaseMode::Upper), "X\xc3");                  // cut-off sequence
    EXPECT_EQ(changeCase("\xc0\xaf", CaseMode::Lower), "\xc0\xaf");            // overlong "/"
    EXPECT_EQ(changeCase("\xed\xa0\x80z", CaseMode::Upper), "\xed\xa0\x80Z");  // surrogate
    // An invalid byte is not a space, so the letter after it keeps its case.
    EXPECT_EQ(changeCase("\xff"
                         "abc d",
                         CaseMode::Title),
              "\xff"
              "abc D");
}

TEST(CaseTransforms, LongNamesStayWhole) {
    std::string name(150, 'X');
    name[0] = 'x';
    name += ".TXT x";
    std::string sentence = changeCase(name, CaseMode::Sentence);
    ASSERT_EQ(sentence.size(), name.size());
    EXPECT_EQ(sentence, "X" + std::string(149, 'x') + ".txt x");
    std::string title = changeCase(name, CaseMode::Title);
    EXPECT_EQ(title, "X" + std::string(149, 'X') + ".TXT X");
}

class CaseOnDisk : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(CaseOnDisk, RenamesAndReportsFolders) {
    dir.writeFile("a.txt", "data");
    dir.makeDir("my docs");
    auto r = changeCaseOnDisk(dir.path(), "a.txt", CaseMode::Upper);
    ASSERT_TRUE(r.ok()) << r.error().describe();
    EXPECT_EQ(r->newName, "A.TXT");
    EXPECT_FALSE(r->isFolder);
    EXPECT_EQ(readFile(dir / "A.TXT"), "data");
    EXPECT_FALSE(exists(dir / "a.txt"));

    r = changeCaseOnDisk(dir.path(), "my docs", CaseMode::Title);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->isFolder);
    EXPECT_TRUE(exists(dir / "My Docs"));
}

TEST_F(CaseOnDisk, NeverReplacesACollidingName) {
    dir.writeFile("a.txt", "lower");
    dir.writeFile("A.TXT", "upper");
    auto r = changeCaseOnDisk(dir.path(), "a.txt", CaseMode::Upper);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().message, "Cannot convert " + (dir / "a.txt"));
    EXPECT_EQ(r.error().code, EEXIST);
    EXPECT_EQ(readFile(dir / "a.txt"), "lower");
    EXPECT_EQ(readFile(dir / "A.TXT"), "upper");
}

TEST_F(CaseOnDisk, NeverReplacesAnEmptyFolderEither) {
    dir.makeDir("docs");
    dir.makeDir("DOCS");
    dir.writeFile("docs/keep", "k");
    EXPECT_FALSE(changeCaseOnDisk(dir.path(), "docs", CaseMode::Upper).ok());
    EXPECT_EQ(readFile(dir / "docs/keep"), "k");
    EXPECT_TRUE(exists(dir / "DOCS"));
}

TEST_F(CaseOnDisk, HardLinksUnderBothSpellingsStayAsTheyWere) {
    // Both spellings name one file, as on a case-insensitive mount, but here they are
    // two entries: the detour through a temporary name must not lose either.
    dir.writeFile("a.txt", "same");
    ASSERT_EQ(::link((dir / "a.txt").c_str(), (dir / "A.TXT").c_str()), 0);
    EXPECT_FALSE(changeCaseOnDisk(dir.path(), "a.txt", CaseMode::Upper).ok());
    EXPECT_EQ(readFile(dir / "a.txt"), "same");
    EXPECT_EQ(readFile(dir / "A.TXT"), "same");
    int entries = 0;
    for (const char* n : {"a.txt", "A.TXT"}) entries += exists(dir / n);
    EXPECT_EQ(entries, 2);
}

TEST_F(CaseOnDisk, KeepsInvalidBytesOfTheName) {
    std::string odd = "r\xe9sum\xe9.doc";
    dir.writeFile(odd, "cv");
    auto r = changeCaseOnDisk(dir.path(), odd, CaseMode::Upper);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->newName, "R\xe9SUM\xe9.DOC");
    EXPECT_EQ(readFile(dir / "R\xe9SUM\xe9.DOC"), "cv");
}

TEST_F(CaseOnDisk, NameAlreadyInCaseAndVanishedName) {
    dir.writeFile("DONE", "d");
    auto r = changeCaseOnDisk(dir.path(), "DONE", CaseMode::Upper);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->newName, "DONE");
    EXPECT_FALSE(changeCaseOnDisk(dir.path(), "gone", CaseMode::Upper).ok());
    EXPECT_FALSE(changeCaseOnDisk(dir.path(), "..", CaseMode::Upper).ok());
}

TEST_F(CaseOnDisk, BatchGoesOnOrStopsAsTheUserChooses) {
    dir.writeFile("a", "1");
    dir.writeFile("A", "2");
    dir.writeFile("b", "3");
    dir.writeFile("c", "4");

    std::vector<std::string> asked;
    auto report = changeCaseOfNames(dir.path(), {"a", "b", "c"}, CaseMode::Upper, [&](const Error& e) {
        asked.push_back(e.message);
        return true;
    });
    EXPECT_EQ(asked, std::vector<std::string>{"Cannot convert " + (dir / "a")});
    ASSERT_EQ(report.renamed.size(), 2u);
    EXPECT_EQ(report.renamed[0].newName, "B");
    EXPECT_EQ(report.renamed[1].newName, "C");
    EXPECT_EQ(report.failures, 1);
    EXPECT_FALSE(report.cancelled);

    dir.writeFile("d", "5");
    report = changeCaseOfNames(dir.path(), {"a", "d"}, CaseMode::Upper, [](const Error&) { return false; });
    EXPECT_TRUE(report.cancelled);
    EXPECT_TRUE(report.renamed.empty());
    EXPECT_TRUE(exists(dir / "d"));  // not reached after the cancel
    EXPECT_EQ(readFile(dir / "a"), "1");
}

}  // namespace
}  // namespace arbel::commands

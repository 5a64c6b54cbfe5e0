#include "core/viewer/text_document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

using namespace std::string_literals;

namespace arbel::viewer {
namespace {

std::vector<std::string> allParagraphs(TextDocument& doc) {
    std::vector<std::string> out;
    for (int64_t i = 0; doc.hasParagraph(i); ++i) out.push_back(toUtf8(doc.paragraph(i)));
    return out;
}

std::vector<std::string> split(std::string bytes) {
    auto doc = TextDocument::fromBytes(std::move(bytes));
    return allParagraphs(*doc);
}

using Lines = std::vector<std::string>;

TEST(TextDocument, EveryKindOfLineBreakCountsOnce) {
    EXPECT_EQ(split("a\nb\rc\r\nd\n\re"), (Lines{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(split("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(split("a\n\nb"), (Lines{"a", "", "b"}));
    // CR LF CR LF is two breaks, not one pair and a stray pair.
    EXPECT_EQ(split("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(split("a\r\n\nb"), (Lines{"a", "", "b"}));
    // A trailing break leaves an empty last line; an empty file is one empty line.
    EXPECT_EQ(split("a\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(split(""), (Lines{""}));
    EXPECT_EQ(split("\r"), (Lines{"", ""}));
}

TEST(TextDocument, ShowsNulAndStyleMarkerAndDecodesLegacyBytes) {
    EXPECT_EQ(split("a\0b\x05"s), (Lines{"a\xc2\xb7"
                                         "b\xc2\xa7"}));
    EXPECT_EQ(split("caf\xc3\xa9 \xf0\x9f\x98\x80"), (Lines{"caf\xc3\xa9 \xf0\x9f\x98\x80"}));
    // Not UTF-8: Windows-1252, per paragraph.
    EXPECT_EQ(split("\x80 caf\xe9\n\xc3\xa9"), (Lines{"\xe2\x82\xac caf\xc3\xa9", "\xc3\xa9"}));
    auto doc = TextDocument::fromBytes("\xf0\x9f\x98\x80");
    EXPECT_EQ(doc->paragraph(0).size(), 2u);         // one surrogate pair
    EXPECT_EQ(toUtf8(u"\xD800x"), "\xef\xbf\xbdx");  // a lone surrogate is replaced
}

TEST(TextDocument, BreaksStraddlingBlocksAndFilesReadLikeMemory) {
    const size_t b = TextDocument::kBlockBytes;
    std::string s = std::string(b - 1, 'a') + "\r\nb" + std::string(b - 3, 'c') + "\n\rd";
    Lines expect{std::string(b - 1, 'a'), "b" + std::string(b - 3, 'c'), "d"};
    EXPECT_EQ(split(s), expect);
    test::TempDir tmp;
    auto doc = TextDocument::openFile(tmp.writeFile("t.txt", s));
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(allParagraphs(**doc), expect);
    EXPECT_EQ((*doc)->sizeBytes(), s.size());
}

TEST(TextDocument, FindsParagraphsLazilyAndRandomlyWithFewCheckpoints) {
    std::string s;
    for (int i = 0; i < 5000; ++i) s += "line " + std::to_string(i) + (i % 3 ? "\n" : "\r\n");
    auto doc = TextDocument::fromBytes(s);
    EXPECT_EQ(toUtf8(doc->paragraph(2)), "line 2");
    EXPECT_LE(doc->knownParagraphs(), 3);  // the first page reads only the first lines
    EXPECT_FALSE(doc->indexComplete());
    EXPECT_EQ(toUtf8(doc->paragraph(4321)), "line 4321");
    EXPECT_EQ(toUtf8(doc->paragraph(1025)), "line 1025");  // back, past a checkpoint
    EXPECT_EQ(toUtf8(doc->paragraph(1023)), "line 1023");
    while (!doc->indexMore(1000)) {
    }
    EXPECT_EQ(doc->knownParagraphs(), 5001);  // the trailing break's empty line
    EXPECT_EQ(doc->checkpointCount(), 5u);
    doc->dropCache();
    for (int i : {4999, 0, 3072, 3071, 3073, 2048})
        EXPECT_EQ(toUtf8(doc->paragraph(i)), "line " + std::to_string(i)) << i;
    EXPECT_FALSE(doc->hasParagraph(5001));
    EXPECT_TRUE(doc->paragraph(99999).empty());
}

TEST(TextDocument, EndlessLineIsCutAtCharacterBoundaries) {
    // Two-byte characters at an odd start: a cut at a fixed byte count would split one.
    std::string s = "x";
    while (s.size() < 2 * TextDocument::kMaxParagraphBytes + 100) s += "\xc3\xa9";
    auto doc = TextDocument::fromBytes(s);
    size_t total = 0;
    for (int64_t i = 0; doc->hasParagraph(i); ++i) {
        const std::u16string& p = doc->paragraph(i);
        for (char16_t c : p) ASSERT_TRUE(c == u'x' || c == u'\u00e9') << "paragraph " << i;
        total += toUtf8(p).size();
    }
    EXPECT_EQ(doc->knownParagraphs(), 3);
    EXPECT_EQ(total, s.size());
}

TEST(TextDocument, CacheStaysBoundedOverALargeFile) {
    std::string line(1000, 'q');
    std::string s;
    for (int i = 0; i < 12000; ++i) s += line + "\n";  // 12 MB of text
    test::TempDir tmp;
    auto doc = TextDocument::openFile(tmp.writeFile("big.txt", s));
    ASSERT_TRUE(doc.ok());
    size_t most = 0;
    for (int64_t i = 0; (*doc)->hasParagraph(i); ++i) {
        (*doc)->paragraph(i);
        most = std::max(most, (*doc)->cachedBytes());
    }
    EXPECT_LE(most, TextDocument::kCacheBytes);
    EXPECT_EQ((*doc)->knownParagraphs(), 12001);
}

TEST(TextDocument, SelectionTextJoinsWithNewlinesInEitherDirection) {
    auto doc = TextDocument::fromBytes("first line\r\nsecond\r\nthird \xc3\xa9t\xc3\xa9");
    EXPECT_EQ(*doc->textBetween({0, 6}, {2, 7}), "line\nsecond\nthird \xc3\xa9");
    EXPECT_EQ(*doc->textBetween({2, 7}, {0, 6}), "line\nsecond\nthird \xc3\xa9");
    EXPECT_EQ(*doc->textBetween({1, 2}, {1, 2}), "");
    EXPECT_EQ(*doc->textBetween({1, 0}, {1, 999}), "second");
    auto big = doc->textBetween({0, 0}, {2, 99}, 10);
    ASSERT_FALSE(big.ok());
}

TEST(TextDocument, FileThatShrinksOrIsNoRegularFile) {
    test::TempDir tmp;
    std::string s;
    for (int i = 0; i < 40000; ++i) s += "row " + std::to_string(i) + "\n";
    auto path = tmp.writeFile("shrink.txt", s);
    auto doc = TextDocument::openFile(path);
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(toUtf8((*doc)->paragraph(0)), "row 0");
    ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    // What is gone reads as the end of the text, without a crash or a hang.
    EXPECT_TRUE((*doc)->paragraph(39000).empty());
    EXPECT_TRUE((*doc)->indexComplete());
    EXPECT_LT((*doc)->knownParagraphs(), 40000);

    EXPECT_FALSE(TextDocument::openFile(tmp.path()).ok());
    std::string fifo = tmp / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto f = TextDocument::openFile(fifo);  // must not block waiting for a writer
    EXPECT_FALSE(f.ok());
    auto missing = TextDocument::openFile(tmp / "nope");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ENOENT);
}

}  // namespace
}  // namespace arbel::viewer

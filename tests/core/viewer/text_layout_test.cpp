#include "core/viewer/text_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace arbel::viewer {
namespace {

const std::vector<StartStopKey> kHtml = {{u"<", u">"}};

TEST(ColourSpans, FromStartKeyToStopKeyWithinOneParagraph) {
    EXPECT_EQ(colourSpans(u"<a> text <b", kHtml), (std::vector<ColourSpan>{{0, 3, 0}, {9, 2, 0}}));
    // A start key inside an open span does not open another.
    EXPECT_EQ(colourSpans(u"<a <b> c>", kHtml), (std::vector<ColourSpan>{{0, 6, 0}}));
    EXPECT_TRUE(colourSpans(u"no tags > here", kHtml).empty());
    std::vector<StartStopKey> keys = {{u"rem", u";"}, {u"/*", u"*/", true}};
    EXPECT_EQ(colourSpans(u"x REM a; /* b */ /*", keys),
              (std::vector<ColourSpan>{{2, 6, 0}, {9, 7, 1}, {17, 2, 1}}));
    EXPECT_TRUE(colourSpans(u"/* b", {{u"/*", u"*/", true}}).size() == 1);
    EXPECT_TRUE(colourSpans(u"REM", {{u"rem", u";", true}}).empty());
}

TEST(WordWrap, BreaksAfterBlankRunsAndCutsLongWords) {
    EXPECT_EQ(wrapParagraph(u"aaa bbb ccc", 7, 8), (std::vector<int>{0, 8}));
    // The blanks at a break stay on the ending line, however many.
    EXPECT_EQ(wrapParagraph(u"aaa     bbb", 4, 8), (std::vector<int>{0, 8}));
    EXPECT_EQ(wrapParagraph(u"abcdefghij", 4, 8), (std::vector<int>{0, 4, 8}));
    EXPECT_EQ(wrapParagraph(u"ab abcdefghij", 4, 8), (std::vector<int>{0, 3, 7, 11}));
    EXPECT_EQ(wrapParagraph(u"a\tb", 8, 8), (std::vector<int>{0, 2}));
    EXPECT_EQ(wrapParagraph(u"a\tb", 9, 8), (std::vector<int>{0}));
    EXPECT_EQ(wrapParagraph(u"", 5, 8), (std::vector<int>{0}));
    EXPECT_EQ(wrapParagraph(u"abc", 0, 8), (std::vector<int>{0, 1, 2}));
    // A surrogate pair is one column and never cut in half.
    EXPECT_EQ(wrapParagraph(u"a\U0001F600b\U0001F600", 2, 8), (std::vector<int>{0, 3}));
}

TEST(WordWrap, ColumnsAndOffsetsAgreeAroundTabs) {
    std::u16string line = u"ab\tc";
    EXPECT_EQ(columnOf(line, 3, 4), 4);
    EXPECT_EQ(columnOf(line, 4, 4), 5);
    EXPECT_EQ(offsetAtColumn(line, 0, 4), 0);
    EXPECT_EQ(offsetAtColumn(line, 2, 4), 2);
    EXPECT_EQ(offsetAtColumn(line, 3, 4), 3);  // past the tab's middle
    EXPECT_EQ(offsetAtColumn(line, 4, 4), 3);
    EXPECT_EQ(offsetAtColumn(line, 99, 4), 4);
    EXPECT_EQ(wordAt(u"see: a/b-c, next", 7, u" ,.:;"), (std::pair<int, int>{5, 10}));
    EXPECT_EQ(wordAt(u"one two", 3, u" ,.:;"), (std::pair<int, int>{0, 3}));
}

std::unique_ptr<TextDocument> numbered(int n, const std::string& extra = "") {
    std::string s;
    for (int i = 0; i < n; ++i) s += "p" + std::to_string(i) + extra + "\n";
    return TextDocument::fromBytes(s);
}

TEST(TextView, SpansAreClippedToWrappedLinesAndEndWithTheirParagraph) {
    auto doc = TextDocument::fromBytes("ab <cdef ghij\nkl> mn");
    TextView view(*doc);
    view.setKeys(kHtml);
    view.setColumns(6);
    auto lines = view.lines(10);
    ASSERT_EQ(lines.size(), 4u);
    // "ab " | "<cdef " | "ghij": the open span runs over the wrapped lines.
    EXPECT_TRUE(lines[0].spans.empty());
    EXPECT_EQ(lines[1].spans, (std::vector<ColourSpan>{{3, 6, 0}}));
    EXPECT_EQ(lines[2].spans, (std::vector<ColourSpan>{{9, 4, 0}}));
    EXPECT_TRUE(lines[3].spans.empty());  // the next paragraph starts uncoloured
    EXPECT_EQ(lines[3].paragraph, 1);
    view.setApplyKeys(false);
    for (const auto& l : view.lines(10)) EXPECT_TRUE(l.spans.empty());
}

TEST(TextView, FirstVisibleLineSurvivesReparsingAndResizing) {
    auto doc = numbered(200, " <tag> and some more words here");
    TextView view(*doc);
    view.setKeys(kHtml);
    view.setColumns(12);
    view.setTop(40, 1);
    auto before = view.lines(3);
    view.setApplyKeys(false);
    view.reApply();
    EXPECT_EQ(view.topParagraph(), 40);
    EXPECT_EQ(view.topSubLine(), 1);
    auto after = view.lines(3);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0].start, before[0].start);
    EXPECT_TRUE(after[0].spans.empty());
    view.setApplyKeys(true);
    view.reApply();
    EXPECT_EQ(view.lines(3)[0].spans, before[0].spans);

    // A wider window keeps the same text at the top.
    int offset = view.top().offset;
    view.setColumns(20);
    EXPECT_EQ(view.topParagraph(), 40);
    EXPECT_LE(view.top().offset, offset);
    EXPECT_GE(view.top().offset + 20, offset);
    view.setWordWrap(false);
    EXPECT_EQ(view.top().offset, 0);
    EXPECT_EQ(view.lines(2)[1].paragraph, 41);
}

TEST(TextView, ScrollingWalksWrappedLinesAndStopsAtTheEnds) {
    auto doc = numbered(5, " aaaa bbbb");  // each paragraph wraps to 3 lines at 5 columns
    TextView view(*doc);
    view.setColumns(5);
    EXPECT_EQ(view.scrollLines(4), 4);
    EXPECT_EQ(view.topParagraph(), 1);
    EXPECT_EQ(view.topSubLine(), 1);
    EXPECT_EQ(view.scrollLines(-2), 2);
    EXPECT_EQ(view.topParagraph(), 0);
    EXPECT_EQ(view.topSubLine(), 2);
    EXPECT_EQ(view.scrollLines(-10), 2);
    EXPECT_EQ(view.scrollLines(1000), 15);  // 5 × 3 lines and the empty last one
    EXPECT_EQ(view.topParagraph(), 5);
    view.setTop(99);
    EXPECT_EQ(view.topParagraph(), 5);
}

}  // namespace
}  // namespace arbel::viewer

#pragma once
// How the viewer lays out and colours its text: start/stop key spans ("Blue HTML"),
// word wrap in character columns of a fixed-pitch font, and the view's first
// visible line, which stays put when the colouring is switched.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/viewer/text_document.h"

namespace arbel::viewer {

// A span opens at `start` and closes after the next `stop` in the same paragraph;
// a span still open at the end of its paragraph ends there.
struct StartStopKey {
    std::u16string start;
    std::u16string stop;
    bool matchCase = false;  // otherwise compared after ASCII upper-casing
};

struct ColourSpan {
    int start = 0;   // UTF-16 units into the paragraph
    int length = 0;  // both keys included
    int key = 0;     // index of the pair, for its colours
    friend bool operator==(const ColourSpan&, const ColourSpan&) = default;
};

// Spans of one paragraph; a start key inside an open span is plain text of that span.
std::vector<ColourSpan> colourSpans(std::u16string_view text, const std::vector<StartStopKey>& keys);

// Columns taken by text[0, offset) from the line start, tabs to the next multiple of
// tabStop; the second half of a surrogate pair takes none.
int columnOf(std::u16string_view line, int offset, int tabStop);
// The offset whose column range holds `column` (the nearest boundary, rounding
// at the middle of a character), clamped to the line.
int offsetAtColumn(std::u16string_view line, int column, int tabStop);

// Start offsets of the display lines of a paragraph wrapped at `columns`: breaks
// fall after runs of blanks, which stay on the ending line and never force a break;
// a word longer than a line is cut at the width. Always starts with 0.
std::vector<int> wrapParagraph(std::u16string_view text, int columns, int tabStop);

// Start and end of the word around offset; words end at the separators (the viewer
// uses " ,.:;"), so "a/b-c" is one word.
std::pair<int, int> wordAt(std::u16string_view text, int offset, std::u16string_view separators);

struct DisplayLine {
    int64_t paragraph = 0;
    int subLine = 0;  // which display line of the paragraph
    int start = 0, end = 0;
    std::vector<ColourSpan> spans;  // clipped to [start, end), offsets into the paragraph
};

// A view on a document: wrap, colouring and the first visible line.
class TextView {
public:
    explicit TextView(TextDocument& doc) : doc_(doc) {}

    bool wordWrap() const { return wrap_; }
    void setWordWrap(bool on);
    int columns() const { return columns_; }
    void setColumns(int columns);  // wrap width, at least 1
    int tabStop() const { return tabStop_; }

    bool applyKeys() const { return applyKeys_; }
    void setApplyKeys(bool on) { applyKeys_ = on; }
    void setKeys(std::vector<StartStopKey> keys) { keys_ = std::move(keys); }
    // Re-parses the whole text (after the colouring changed); the first visible
    // line stays where it was.
    void reApply();

    TextPos top() const { return {top_.paragraph, top_.offset}; }
    int64_t topParagraph() const { return top_.paragraph; }
    int topSubLine() const { return topSub_; }
    void setTop(int64_t paragraph, int subLine = 0);
    // Moves the first visible line by whole display lines; returns lines moved.
    int scrollLines(int delta);

    // Up to `count` display lines from the first visible one.
    std::vector<DisplayLine> lines(int count);
    // Display line starts of one paragraph under the current wrap.
    const std::vector<int>& lineStarts(int64_t paragraph);
    std::vector<ColourSpan> spansOf(int64_t paragraph);

private:
    TextDocument& doc_;
    bool wrap_ = true;
    int columns_ = 80;
    int tabStop_ = 8;
    bool applyKeys_ = true;
    std::vector<StartStopKey> keys_;
    TextPos top_;
    int topSub_ = 0;
    std::unordered_map<int64_t, std::vector<int>> wrapCache_;
};

}  // namespace arbel::viewer

#include "core/viewer/text_layout.h"

#include <algorithm>

namespace arbel::viewer {
namespace {

char16_t upper(char16_t c) {
    return c >= 'a' && c <= 'z' ? char16_t(c - 'a' + 'A') : c;
}

bool matchAt(std::u16string_view text, size_t at, std::u16string_view key, bool matchCase) {
    if (key.empty() || text.size() - at < key.size()) return false;
    for (size_t k = 0; k < key.size(); ++k) {
        char16_t a = text[at + k], b = key[k];
        if (matchCase ? a != b : upper(a) != upper(b)) return false;
    }
    return true;
}

bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

int advance(int col, char16_t c, int tabStop) {
    if (c == u'\t') return (col / tabStop + 1) * tabStop;
    return isLowSurrogate(c) ? col : col + 1;
}

}  // namespace

std::vector<ColourSpan> colourSpans(std::u16string_view text, const std::vector<StartStopKey>& keys) {
    std::vector<ColourSpan> spans;
    size_t i = 0;
    while (i < text.size()) {
        int opened = -1;
        for (size_t k = 0; k < keys.size(); ++k) {
            if (matchAt(text, i, keys[k].start, keys[k].matchCase)) {
                opened = int(k);
                break;
            }
        }
        if (opened < 0) {
            ++i;
            continue;
        }
        const StartStopKey& key = keys[size_t(opened)];
        size_t j = i + key.start.size();
        size_t end = text.size();
        for (; j < text.size(); ++j) {
            if (matchAt(text, j, key.stop, key.matchCase)) {
                end = j + key.stop.size();
                break;
            }
        }
        spans.push_back({int(i), int(end - i), opened});
        i = end;
    }
    return spans;
}

int columnOf(std::u16string_view line, int offset, int tabStop) {
    int col = 0;
    for (int i = 0; i < offset && i < int(line.size()); ++i) col = advance(col, line[size_t(i)], tabStop);
    return col;
}

int offsetAtColumn(std::u16string_view line, int column, int tabStop) {
    int col = 0;
    for (int i = 0; i < int(line.size()); ++i) {
        int next = advance(col, line[size_t(i)], tabStop);
        if (next > col && column < next) return (column - col) * 2 < next - col ? i : i + 1;
        col = next;
    }
    return int(line.size());
}

std::vector<int> wrapParagraph(std::u16string_view text, int columns, int tabStop) {
    std::vector<int> starts{0};
    columns = std::max(columns, 1);
    const int n = int(text.size());
    int lineStart = 0, col = 0, breakAt = -1;
    int i = 0;
    while (i < n) {
        char16_t c = text[size_t(i)];
        if (isBlank(c)) {
            col = advance(col, c, tabStop);
            ++i;
            if (i < n && !isBlank(text[size_t(i)])) breakAt = i;
            continue;
        }
        int next = advance(col, c, tabStop);
        if (next > columns && i > lineStart) {
            int newStart = breakAt > lineStart ? breakAt : i;
            if (isLowSurrogate(text[size_t(newStart)])) --newStart;  // never split a pair
            if (newStart <= lineStart) newStart = i;
            starts.push_back(newStart);
            lineStart = newStart;
            breakAt = -1;
            col = 0;
            i = newStart;
            continue;
        }
        col = next;
        ++i;
    }
    return starts;
}

std::pair<int, int> wordAt(std::u16string_view text, int offset, std::u16string_view separators) {
    auto isSep = [&](char16_t c) { return separators.find(c) != std::u16string_view::npos || c == u'\t'; };
    int n = int(text.size());
    offset = std::clamp(offset, 0, n);
    int a = offset, b = offset;
    while (a > 0 && !isSep(text[size_t(a - 1)])) --a;
    while (b < n && !isSep(text[size_t(b)])) ++b;
    return {a, b};
}

void TextView::setWordWrap(bool on) {
    if (on == wrap_) return;
    wrap_ = on;
    wrapCache_.clear();
    topSub_ = 0;
}

void TextView::setColumns(int columns) {
    columns = std::max(columns, 1);
    if (columns == columns_) return;
    columns_ = columns;
    wrapCache_.clear();
    if (wrap_) {
        // Keep the same text at the top: the sub-line that holds the old top offset.
        const auto& starts = lineStarts(top_.paragraph);
        auto it = std::upper_bound(starts.begin(), starts.end(), top_.offset);
        topSub_ = int(it - starts.begin()) - 1;
        top_.offset = starts[size_t(topSub_)];
    }
}

void TextView::reApply() {
    doc_.dropCache();
    wrapCache_.clear();
    setTop(top_.paragraph, topSub_);
}

void TextView::setTop(int64_t paragraph, int subLine) {
    paragraph = std::max<int64_t>(paragraph, 0);
    if (!doc_.hasParagraph(paragraph)) paragraph = std::max<int64_t>(doc_.knownParagraphs() - 1, 0);
    const auto& starts = lineStarts(paragraph);
    subLine = std::clamp(subLine, 0, int(starts.size()) - 1);
    top_ = {paragraph, starts[size_t(subLine)]};
    topSub_ = subLine;
}

const std::vector<int>& TextView::lineStarts(int64_t paragraph) {
    if (auto it = wrapCache_.find(paragraph); it != wrapCache_.end()) return it->second;
    if (wrapCache_.size() > 4096) wrapCache_.clear();
    std::vector<int> starts =
        wrap_ ? wrapParagraph(doc_.paragraph(paragraph), columns_, tabStop_) : std::vector<int>{0};
    return wrapCache_.emplace(paragraph, std::move(starts)).first->second;
}

std::vector<ColourSpan> TextView::spansOf(int64_t paragraph) {
    if (!applyKeys_ || keys_.empty()) return {};
    return colourSpans(doc_.paragraph(paragraph), keys_);
}

int TextView::scrollLines(int delta) {
    int moved = 0;
    int64_t para = top_.paragraph;
    int sub = topSub_;
    while (delta > 0) {
        int count = int(lineStarts(para).size());
        if (sub + 1 < count) {
            ++sub;
        } else if (doc_.hasParagraph(para + 1)) {
            ++para;
            sub = 0;
        } else {
            break;
        }
        --delta;
        ++moved;
    }
    while (delta < 0) {
        if (sub > 0) {
            --sub;
        } else if (para > 0) {
            --para;
            sub = int(lineStarts(para).size()) - 1;
        } else {
            break;
        }
        ++delta;
        ++moved;
    }
    setTop(para, sub);
    return moved;
}

std::vector<DisplayLine> TextView::lines(int count) {
    std::vector<DisplayLine> out;
    int64_t para = top_.paragraph;
    int sub = topSub_;
    while (int(out.size()) < count && doc_.hasParagraph(para)) {
        std::vector<int> starts = lineStarts(para);  // copied: the caches may be refilled below
        std::vector<ColourSpan> spans = spansOf(para);
        int length = int(doc_.paragraph(para).size());
        for (; sub < int(starts.size()) && int(out.size()) < count; ++sub) {
            DisplayLine line;
            line.paragraph = para;
            line.subLine = sub;
            line.start = starts[size_t(sub)];
            line.end = sub + 1 < int(starts.size()) ? starts[size_t(sub + 1)] : length;
            for (const ColourSpan& s : spans) {
                int a = std::max(s.start, line.start), b = std::min(s.start + s.length, line.end);
                if (a < b) line.spans.push_back({a, b - a, s.key});
            }
            out.push_back(std::move(line));
        }
        ++para;
        sub = 0;
    }
    return out;
}

}  // namespace arbel::viewer

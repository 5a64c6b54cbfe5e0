#include "core/config/ini_text.h"

#include <limits>

namespace arbel::config {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool hasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

bool hasOuterBlanks(std::string_view s) {
    return !s.empty() && (isBlank(s.front()) || isBlank(s.back()));
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::optional<int64_t> parseInteger(std::string_view text) {
    text = trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::string_view digits = text.substr(2);
        while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
        if (digits.size() > 16) return std::nullopt;
        uint64_t v = 0;
        for (char c : digits) {
            int d = hexDigit(c);
            if (d < 0) return std::nullopt;
            v = v << 4 | uint64_t(d);
        }
        return static_cast<int64_t>(v);
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Accumulate as a negative number so that INT64_MIN fits.
    int64_t v = 0;
    constexpr int64_t min = std::numeric_limits<int64_t>::min();
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        int d = c - '0';
        if (v < (min + d) / 10) return std::nullopt;
        v = v * 10 - d;
    }
    if (negative) return v;
    if (v == min) return std::nullopt;
    return -v;
}

std::string_view cutText(std::string_view text, size_t max) {
    if (text.size() <= max) return text;
    size_t end = max;
    // Step back over continuation bytes to the lead byte of the sequence that
    // the cut falls in; drop that sequence only if it is well-formed.
    size_t lead = end;
    while (lead > 0 && end - lead < 3 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80) --lead;
    if (lead < end) {
        auto b = static_cast<unsigned char>(text[lead]);
        size_t length = b >= 0xF0 && b < 0xF8 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
        if (length && lead + length > end) {
            bool wellFormed = lead + length <= text.size();
            for (size_t i = lead + 1; wellFormed && i < lead + length; ++i) {
                wellFormed = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
            }
            if (wellFormed) end = lead;
        }
    }
    return text.substr(0, end);
}

bool storableSection(std::string_view name) {
    return !name.empty() && !hasLineBreakOrNul(name) && name.find(']') == name.npos && !hasOuterBlanks(name);
}

bool storableKey(std::string_view key) {
    return !key.empty() && !hasLineBreakOrNul(key) && key.find('=') == key.npos && !hasOuterBlanks(key) &&
           key.front() != '[' && key.front() != ';';
}

bool storableValue(std::string_view value) {
    return !hasLineBreakOrNul(value);
}

IniText::Line IniText::classify(std::string text, size_t skip) {
    Line line;
    line.text = std::move(text);
    std::string_view t(line.text);
    size_t start = skip;
    while (start < t.size() && isBlank(t[start])) ++start;
    if (start == t.size() || t[start] == ';') return line;
    if (t[start] == '[') {
        size_t close = t.find(']', start + 1);
        std::string_view raw = t.substr(start + 1, close == t.npos ? t.npos : close - start - 1);
        std::string_view name = trim(raw);
        line.kind = Kind::Section;
        line.nameBegin = name.empty() ? start + 1 : size_t(name.data() - t.data());
        line.nameLength = name.size();
        return line;
    }
    size_t eq = t.find('=', start);
    if (eq == t.npos) return line;
    std::string_view name = trim(t.substr(start, eq - start));
    line.kind = Kind::Key;
    line.nameBegin = name.empty() ? start : size_t(name.data() - t.data());
    line.nameLength = name.size();
    line.valueBegin = eq + 1;
    return line;
}

IniText IniText::parse(std::string_view bytes) {
    IniText ini;
    size_t skip = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        size_t end = nl == bytes.npos ? bytes.size() : nl;
        std::string_view raw = bytes.substr(pos, end - pos);
        while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        ini.lines_.push_back(classify(std::string(raw), pos == 0 ? skip : 0));
        pos = nl == bytes.npos ? bytes.size() : nl + 1;
    }
    return ini;
}

std::string IniText::serialize() const {
    size_t total = 0;
    for (const Line& l : lines_) total += l.text.size() + 1;
    std::string out;
    out.reserve(total);
    for (const Line& l : lines_) {
        out += l.text;
        out += '\n';
    }
    return out;
}

std::optional<std::string_view> IniText::find(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (const Line& l : lines_) {
        if (l.kind == Kind::Section) {
            inSection = sameName(l.name(), section);
        } else if (inSection && l.kind == Kind::Key && sameName(l.name(), key)) {
            return l.value();
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::string_view, std::string_view>> IniText::entries(std::string_view section) const {
    std::vector<std::pair<std::string_view, std::string_view>> out;
    bool inSection = false;
    for (const Line& l : lines_) {
        if (l.kind == Kind::Section) {
            inSection = sameName(l.name(), section);
        } else if (inSection && l.kind == Kind::Key) {
            out.emplace_back(l.name(), l.value());
        }
    }
    return out;
}

IniText::Line IniText::sectionLine(std::string_view section) {
    std::string text;
    text.reserve(section.size() + 2);
    text += '[';
    text += section;
    text += ']';
    return classify(std::move(text), 0);
}

IniText::Line IniText::keyLine(std::string_view key, std::string_view value) {
    std::string text;
    text.reserve(key.size() + value.size() + 1);
    text += key;
    text += '=';
    text += value;
    return classify(std::move(text), 0);
}

void IniText::set(std::string_view section, std::string_view key, std::string_view value) {
    bool inSection = false;
    size_t insertAt = std::string::npos;  // after the last line of the first matching section's keys
    bool inFirst = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        Line& l = lines_[i];
        if (l.kind == Kind::Section) {
            inSection = sameName(l.name(), section);
            inFirst = inSection && insertAt == std::string::npos;
            if (inFirst) insertAt = i + 1;
        } else if (inSection && l.kind == Kind::Key) {
            if (sameName(l.name(), key)) {
                l.text.replace(l.valueBegin, std::string::npos, value);
                return;
            }
            if (inFirst) insertAt = i + 1;
        }
    }
    if (insertAt != std::string::npos) {
        lines_.insert(lines_.begin() + std::ptrdiff_t(insertAt), keyLine(key, value));
        return;
    }
    if (!lines_.empty() && !trim(lines_.back().text).empty()) lines_.push_back(Line{});
    lines_.push_back(sectionLine(section));
    lines_.push_back(keyLine(key, value));
}

size_t IniText::eraseAll(std::string_view section) {
    size_t first = std::string::npos;
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    bool inSection = false;
    size_t blanks = 0;  // a blank line ending an erased section still separates what follows it
    for (Line& l : lines_) {
        if (l.kind == Kind::Section) {
            bool match = sameName(l.name(), section);
            if (inSection && !match && blanks && !kept.empty() && !trim(kept.back().text).empty()) {
                kept.emplace_back();
            }
            inSection = match;
            blanks = 0;
        }
        if (inSection) {
            if (first == std::string::npos) first = kept.size();
            blanks = trim(l.text).empty() ? blanks + 1 : 0;
            continue;
        }
        kept.push_back(std::move(l));
    }
    lines_ = std::move(kept);
    return first;
}

bool IniText::erase(std::string_view section) {
    return eraseAll(section) != std::string::npos;
}

void IniText::replaceSection(std::string_view section,
                             const std::vector<std::pair<std::string, std::string>>& entries) {
    size_t at = eraseAll(section);
    if (entries.empty()) return;
    std::vector<Line> block;
    block.reserve(entries.size() + 2);
    if (at == std::string::npos) {
        at = lines_.size();
        if (!lines_.empty() && !trim(lines_.back().text).empty()) block.push_back(Line{});
    }
    block.push_back(sectionLine(section));
    for (const auto& [key, value] : entries) block.push_back(keyLine(key, value));
    // The blank line that separated the old section from the next went with it.
    if (at < lines_.size() && lines_[at].kind == Kind::Section) block.push_back(Line{});
    lines_.insert(lines_.begin() + std::ptrdiff_t(at), std::make_move_iterator(block.begin()),
                  std::make_move_iterator(block.end()));
}

}  // namespace arbel::config

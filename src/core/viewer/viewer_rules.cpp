#include "core/viewer/viewer_rules.h"

#include <cerrno>
#include <charconv>
#include <climits>

namespace arbel::viewer {

PopupChange popupFor(ViewKind shown, bool hasSelection) {
    PopupChange c;
    switch (shown) {
        case ViewKind::Text:
            c.changed = true;
            c.items.copy = true;
            c.items.copyEnabled = hasSelection;
            c.items.wordwrap = true;
            c.items.blueHtml = true;
            break;
        case ViewKind::Gif:
            c.changed = true;
            c.items.speed = true;
            break;
        case ViewKind::Jpeg:
        case ViewKind::Bitmap:
        case ViewKind::Icon:
        case ViewKind::Metafile:
            c.changed = true;
            break;
        case ViewKind::None:
            break;
    }
    return c;
}

Result<int> parseSpeed(std::string_view answer) {
    std::string_view t = answer;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    long long v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || v < INT_MIN || v > INT_MAX)
        return Error{"", 0, std::string("'").append(answer).append("' is not a valid integer value")};
    return static_cast<int>(v);
}

std::string cannotShowMessage(const std::string& shownName, const Error& error) {
    if (error.code != 0) return "Cannot open file " + shownName + ".\n" + errnoText(error.code);
    return "Cannot show " + shownName + ": " + error.message;
}

}  // namespace arbel::viewer

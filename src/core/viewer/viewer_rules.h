#pragma once
// Rules of the viewer window that need no screen: which context-menu items show,
// the speed answer, and the messages for files that cannot be shown.

#include <string>
#include <string_view>

#include "core/viewer/view_mode.h"
#include "platform/result.h"

namespace arbel::viewer {

struct PopupItems {
    bool speed = false, copy = false, copyEnabled = false, wordwrap = false, blueHtml = false;
};

// The context menu by the view that is shown; nothing shown keeps the menu as it
// was (nullopt-like: `changed` false).
struct PopupChange {
    bool changed = false;
    PopupItems items;
};
PopupChange popupFor(ViewKind shown, bool hasSelection);

// The answer of the speed box: a decimal integer (blanks around it allowed), else
// "'<answer>' is not a valid integer value".
Result<int> parseSpeed(std::string_view answer);

// "Cannot open file <path>" with the system's reason, or the reader's message.
std::string cannotShowMessage(const std::string& shownName, const Error& error);

inline constexpr const char* kNoMetafileReader =
    "Windows metafile pictures cannot be shown: no reader is available.";

}  // namespace arbel::viewer

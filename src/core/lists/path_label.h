#pragma once
// Shortening of a path to a given width: a run of middle components becomes
// "...", so the start, the last component and as many neighbours as fit stay
// readable ("/.../b/file.txt"). The width of a text is measured by a function
// the caller provides (the label's font on screen; code points in tests).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace arbel::lists {

enum class TDirection { drFromLeft, drFromRight };

using TextWidth = std::function<int(std::string_view)>;

// The caption of a label `width` wide showing `fileName`.
std::string fitPath(std::string_view fileName, int width, const TextWidth& measure,
                    std::string_view separator = "/", TDirection direction = TDirection::drFromLeft);

// `FileName` split at the separator (an absolute path starts with an empty part).
std::vector<std::string> splitPath(std::string_view fileName, std::string_view separator);

}  // namespace arbel::lists

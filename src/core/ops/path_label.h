#pragma once
// The path label's fitting: a path too wide for its label loses a run of middle
// components to "...", keeping the root, the last component and as many
// neighbours as fit. The width of a text is measured by the caller (the font).

#include <functional>
#include <string>
#include <vector>

namespace arbel::ops {

enum class TDirection { drFromLeft, drFromRight };

using TextWidth = std::function<int(const std::string&)>;

std::vector<std::string> splitPath(const std::string& path, const std::string& separator);

// The caption for `path` in a label `width` wide.
std::string fitPath(const std::string& path, int width, const TextWidth& w,
                    TDirection direction = TDirection::drFromLeft, const std::string& separator = "/");

}  // namespace arbel::ops

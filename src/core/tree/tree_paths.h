#pragma once
// Path forms of the folder tree. A node keeps its folder in "node form", always with a
// trailing "/" ("/", "/home/", "/home/ann/"); windows and dialogs get "folder form",
// with no trailing "/" except the root. Paths are bytes: case and odd bytes are kept.

#include <string>
#include <string_view>
#include <vector>

namespace arbel::tree {

// Absolute path with "//" collapsed and a trailing "/". Relative or empty input
// gives an empty string. "." and ".." components are removed lexically.
std::string nodeForm(std::string_view path);
// Without the trailing "/", except for the root.
std::string folderForm(std::string_view path);

// Small path helpers, on "/".
std::string addSlash(std::string_view path);     // unless empty or already ending in "/"
std::string removeSlash(std::string_view path);  // one trailing "/"
int countSlashes(std::string_view path);
std::string prefixToSlash(std::string_view path, int n);  // up to and including the n-th "/"

// Components of a path below `base` (both node form, path starting with base).
std::vector<std::string> componentsBelow(std::string_view path, std::string_view base);

// Whether a user-typed single name is usable as one path component.
bool isValidName(std::string_view name);

}  // namespace arbel::tree

#pragma once
// A temporary folder for one test, removed with everything below it when the
// test ends. Core code is tested against real files, never a mocked file system.

#include <cstdint>
#include <string>
#include <string_view>

namespace arbel::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(std::string_view relative) const;

    // Creates the file (and missing parent folders) with the given content.
    std::string writeFile(std::string_view relative, std::string_view content = {}) const;
    // Creates the folder and missing parents.
    std::string makeDir(std::string_view relative) const;
    // Creates a symbolic link at relative pointing to target (taken literally).
    std::string makeLink(std::string_view relative, std::string_view target) const;

private:
    std::string path_;
};

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);
bool exists(const std::string& path);  // lstat succeeds
// Removes a tree without following links, restoring permissions as it goes.
void removeTree(const std::string& path);

}  // namespace arbel::test

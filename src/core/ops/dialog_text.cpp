#include "core/ops/dialog_text.h"

#include <algorithm>

#include "core/ops/names.h"
#include "platform/fileops.h"

namespace arbel::ops {

namespace {

std::string counted(uint64_t n, std::string_view one, std::string_view many) {
    if (n == 0) return {};
    return std::to_string(n) + std::string(n == 1 ? one : many);
}

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

}  // namespace

std::string deleteQuestion(uint64_t files, uint64_t folders) {
    std::string filePart = counted(files, " file", " files");
    std::string folderPart = counted(folders, " folder", " folders");
    if (!filePart.empty() && !folderPart.empty()) folderPart = " and " + folderPart;
    return "Delete " + filePart + folderPart + " from:";
}

std::string searchDeleteQuestion(size_t rows) {
    if (rows >= 2) return "Delete " + std::to_string(rows) + " files?";
    return "Delete selected file?";
}

std::string createTargetQuestion(const std::string& target) {
    return target + "\n" + "does not exist. Create it?";
}

std::string listStatusLine(uint64_t files, uint64_t bytes, uint64_t folders, const std::string& mask,
                           const std::function<std::string(uint64_t)>& formatBytes) {
    std::string line = std::to_string(files) + (files == 1 ? " file/" : " files/") + formatBytes(bytes) +
                       " bytes " + counted(folders, " folder", " folders");
    if (mask != "*.*") line += "        MASKED  " + upperAscii(mask);
    return line;
}

std::vector<std::string> updatedHistory(const std::string& used, const std::vector<std::string>& previous) {
    auto hasBreak = [](const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; };
    std::vector<std::string> out;
    if (!used.empty() && !hasBreak(used)) out.push_back(used);
    for (size_t i = 0; i < previous.size() && i < 14; ++i) {
        if (previous[i] == used || previous[i].empty() || hasBreak(previous[i])) continue;
        if (std::find(out.begin(), out.end(), previous[i]) != out.end()) continue;
        out.push_back(previous[i]);
    }
    return out;
}

bool windowShowsFolderOrBelow(const std::string& windowFolder, const std::string& folder) {
    return !windowFolder.empty() && !folder.empty() && isSameOrBelow(windowFolder, folder);
}

}  // namespace arbel::ops

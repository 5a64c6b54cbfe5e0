#pragma once
// Keeping the folder tree in step with what a file operation did, without a rescan.

#include <string>

namespace arbel::ui {

class Tmdimain;

void treeAddFolder(Tmdimain& frame, const std::string& folder);     // AddDirPath
void treeRemoveFolder(Tmdimain& frame, const std::string& folder);  // DeleteDir
void treeRenameFolder(Tmdimain& frame, const std::string& oldPath, const std::string& newName);

}  // namespace arbel::ui

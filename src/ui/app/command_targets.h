#pragma once
// Desktop services the frame's commands call, replaceable by tests so that no
// test starts another program.

#include <functional>
#include <string>

namespace arbel::ui {

struct CommandHooks {
    // Opens a document (or the trash, "trash:///") with the desktop's default
    // application; false when nothing could open it. Empty: the desktop's own.
    std::function<bool(const std::string& pathOrUri)> openDocument;
};
CommandHooks& commandHooks();

}  // namespace arbel::ui

#pragma once
// Tmdisublist: a folder window, showing the contents of one folder. Any
// number may be open; the one activated last is the frame's current "list"
// window.

#include "ui/lists/file_window.h"

namespace arbel::ui {

class Tmdisublist : public FileWindow {
    Q_OBJECT
public:
    // Opens on `folder` (bytes, folder form). A folder that does not exist
    // leaves the window empty under its caption.
    Tmdisublist(Tmdimain& frame, std::string folder);

protected:
    void updateWith(app::RefreshSignal mode, const std::string& folder = {}) override;
};

}  // namespace arbel::ui

#pragma once
// Tautodirview: the auto-folder window, which always shows the folder
// selected in the tree. At most one exists; it rereads on every signal.

#include "ui/lists/file_window.h"

namespace arbel::ui {

class Tautodirview : public FileWindow {
    Q_OBJECT
public:
    Tautodirview(Tmdimain& frame, std::string folder);

    void ActivateForm() override;

protected:
    void updateWith(app::RefreshSignal mode, const std::string& folder = {}) override;
};

}  // namespace arbel::ui

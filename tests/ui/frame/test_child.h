#pragma once
// A small child window for frame tests: a text field as its main control, and a
// record of the refreshes it was asked for.

#include <QLineEdit>
#include <vector>

#include "ui/app/child_window.h"
#include "ui/frame/mdimain.h"

namespace arbel::ui::test {

class TestChild : public ChildWindow {
public:
    TestChild(Tmdimain& frame, app::ActiveKind kind, std::string path) : ChildWindow(frame, kind) {
        edit_ = new QLineEdit(this);
        setWidget(edit_);
        setShownPath(std::move(path));
        finishCreation();
    }
    QWidget* mainControl() const override { return edit_; }
    void refreshWindow(app::RefreshSignal mode, const std::string& folder) override {
        refreshes.push_back({mode, folder, frame().state().pendingUpdate});
    }
    struct Refresh {
        app::RefreshSignal mode;
        std::string target;
        app::RefreshSignal pending;
    };
    std::vector<Refresh> refreshes;

private:
    QLineEdit* edit_;
};

}  // namespace arbel::ui::test

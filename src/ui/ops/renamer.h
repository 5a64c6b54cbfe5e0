#pragma once
// Tren: renames one item (a file or a folder) in its own folder, never replacing
// anything, and keeps the tree and the windows on it and on its folder in step.
// Enter renames and closes; Ctrl+Enter (or a right click on Rename) stays open.

#include <string>
#include "ui/app/operation_dialog.h"

#include "ui/ops/dialog_source.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

class Tren : public OperationDialog {
    Q_OBJECT
public:
    // oldPath: the item to rename (RenameTarget).
    Tren(Tmdimain& frame, DialogSource source, std::string oldPath);
    static Tren* open(Tmdimain& frame);

    const std::string& target() const { return old_; }
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void confirm() override { Button1Click(); }

public slots:
    void Button1Click();

private:
    DialogSource source_;
    std::string old_;
};

}  // namespace arbel::ui

#pragma once
// Tnewd: makes a new folder (nested with "/") under the folder of the active
// window, or under the folder selected in it, then shows it in the tree and in
// the windows on that folder. Enter creates and closes; Ctrl+Enter stays open.

#include <string>
#include "ui/app/operation_dialog.h"

#include "ui/ops/dialog_source.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace arbel::ui {

class TFileLabel;
class Tmdimain;

class Tnewd : public OperationDialog {
    Q_OBJECT
public:
    Tnewd(Tmdimain& frame, DialogSource source, std::string parent);
    static Tnewd* open(Tmdimain& frame);
    // The parent folder: the tree's folder; in a file window the first
    // selected entry when it is a folder, else the window's folder.
    static std::string parentFor(const DialogSource& source);

    const std::string& parentFolder() const { return parent_; }
    QLabel* Label1 = nullptr;
    TFileLabel* parlabel2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void confirm() override { Button1Click(); }

public slots:
    void Button1Click();

private:
    DialogSource source_;
    std::string parent_;
};

}  // namespace arbel::ui

#pragma once
// Trunform: the run dialog. The command line is split into words as a shell
// would split them (no shell, nothing expanded); its first word names a file,
// as given or in the folder shown, or a program on the PATH. The program runs in
// the folder shown; Arbel's own current folder never changes. A command that
// started is recorded in "Runs" as typed.

#include <string>

#include "ui/app/operation_dialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace arbel::ui {

class TFileLabel;
class Tmdimain;

class Trunform : public OperationDialog {
    Q_OBJECT
public:
    // folder: the folder shown and run in; command: Edit1's text at opening.
    Trunform(Tmdimain& frame, std::string folder, const std::string& command);
    // Opens it on the active window's folder (the home folder when there is none)
    // with the name of the first selected file, when a file is selected.
    static Trunform* open(Tmdimain& frame);

    const std::string& folder() const { return folder_; }
    // Whether the command is still being looked up (Open waits for it).
    bool lookingUp() const { return lookingUp_; }

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;  // ComboBox1's text field
    QLabel* Label2 = nullptr;
    TFileLabel* label3 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void confirm() override { Button1Click(); }

public slots:
    void Button1Click();

private:
    void started(const std::string& command);
    std::string folder_;
    bool lookingUp_ = false;
};

}  // namespace arbel::ui

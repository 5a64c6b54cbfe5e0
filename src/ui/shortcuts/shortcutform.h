#pragma once
// Tshortcutform: Create Shortcut. One shortcut for the tree's folder, or one for
// each selected entry of a file window, on the desktop or in a folder of the
// applications menu. Enter creates and closes; Ctrl+Enter creates and stays.

#include "ui/app/operation_dialog.h"
#include "ui/ops/dialog_source.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace arbel::ui {

class FolderListBox;
class Tmdimain;

class Tshortcutform : public OperationDialog {
    Q_OBJECT
public:
    Tshortcutform(Tmdimain& frame, DialogSource source);
    static Tshortcutform* open(Tmdimain& frame);

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QRadioButton* desktopcheck = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    FolderListBox* DirectoryListBox1 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* prefixcheck = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void confirm() override { Button1Click(); }

public slots:
    void desktopcheckClick();
    void RadioButton2Click();
    void Button1Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::string typedName() const;
    DialogSource source_;
    std::string proposed_;  // the caption proposed, as bytes
};

}  // namespace arbel::ui

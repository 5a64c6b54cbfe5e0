#pragma once
// Tgotoform: the go-to dialog. A folder is typed, taken from the "Folders"
// history, or browsed (a volume chooser and a folder list); Open makes a new
// folder window on the path exactly as typed. Browsing reads folders only: the
// process's current folder never changes.

#include <string>

#include "ui/app/operation_dialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

class Tgotoform : public OperationDialog {
    Q_OBJECT
public:
    // start: the path the dialog starts on (shown when it is an existing folder).
    Tgotoform(Tmdimain& frame, const std::string& start);
    // Starts on the active window's folder, or the folder selected in it, or the
    // folder of the selected search result.
    static Tgotoform* open(Tmdimain& frame);

    // The folder the browser lists (bytes).
    const std::string& browsedFolder() const { return browsed_; }
    // Lists `folder` in the browser and puts it into Edit1.
    void browse(const std::string& folder);

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;  // ComboBox1's text field
    QComboBox* DriveComboBox1 = nullptr;
    QListWidget* DirectoryListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void confirm() override { Button1Click(); }

public slots:
    void Button1Click();

signals:
    // The browser shows a newly read folder (tests wait for it).
    void browsed();

private:
    void showRows(const std::string& folder, const std::vector<std::string>& subfolders);
    void fillVolumes();
    void setEditPath(const std::string& path);
    std::string browsed_;
    std::string editBytes_;  // the bytes behind Edit1's text when set by browsing
    bool checking_ = false;
};

}  // namespace arbel::ui

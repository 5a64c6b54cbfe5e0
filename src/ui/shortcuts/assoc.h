#pragma once
// Tassoc: Associate. Lists the desktop's file types with their open commands and
// ties an extension to one of them ("use existing registered program"), or to a
// program of its own ("register a new program"); it also removes an association
// and deletes a type that Arbel made.

#include <string>
#include <vector>

#include "ui/app/operation_dialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;

namespace arbel::ui {

class Tmdimain;

class Tassoc : public OperationDialog {
    Q_OBJECT
public:
    // proposed: the extension taken from the selection (may be empty).
    Tassoc(Tmdimain& frame, const std::string& proposed);
    static Tassoc* open(Tmdimain& frame);

    QLabel* Label4 = nullptr;
    QListWidget* Listview1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QRadioButton* old = nullptr;
    QRadioButton* newmode = nullptr;  // the design's "new"
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* browsebut = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QMenu* PopupMenu1 = nullptr;

    // The type of each line of Listview1, in the same order.
    const std::vector<std::string>& TypeList() const { return types_; }

    void confirm() override { Button1Click(); }

public slots:
    void oldClick();
    void Listview1Click();
    void Edit1Change();
    void browsebutClick();
    void Button1Click();
    void DeleteRegisteredType1Click();

private:
    void showLine(int row);
    std::string bytes(const QLineEdit* edit) const;
    std::vector<std::string> types_;
    std::vector<std::string> descriptions_, commands_;
};

}  // namespace arbel::ui

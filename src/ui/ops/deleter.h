#pragma once
// Tdel: the delete dialog. Says what is about to go, offers the trash and
// per-item confirmations, deletes through the engine, then drops deleted folders
// from the tree, closes the windows that showed them and rereads the rest.

#include "ui/app/operation_dialog.h"

#include "ui/ops/dialog_source.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace arbel::ui {

class TFileLabel;
class Tmdimain;

class Tdel : public OperationDialog {
    Q_OBJECT
public:
    Tdel(Tmdimain& frame, DialogSource source);
    static Tdel* open(Tmdimain& frame);
    // Shows the dialog on files dropped on a trash location: the items are
    // `sources`, and the trash is chosen.
    static Tdel* openDropped(Tmdimain& frame, std::vector<std::string> sources);

    QLabel* Label1 = nullptr;
    TFileLabel* label2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;  // recycle
    QCheckBox* CheckBox2 = nullptr;  // confirmations on
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void confirm() override { Button1Click(); }

public slots:
    void Button1Click();

private:
    DialogSource source_;
};

}  // namespace arbel::ui

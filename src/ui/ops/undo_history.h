#pragma once
// Tundohist: the undo journal, newest first; Undo reverses the chosen entry (an
// older one only while no newer entry changed the same items: the refusal says
// so) on a background job, and the list follows.

#include "ui/app/operation_dialog.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

class Tundohist : public OperationDialog {
    Q_OBJECT
public:
    explicit Tundohist(Tmdimain& frame);
    static Tundohist* open(Tmdimain& frame);

    QLabel* Label1 = nullptr;
    QListWidget* list = nullptr;
    QPushButton* Button1 = nullptr;  // Undo
    QPushButton* Button2 = nullptr;  // Close

    void confirm() override { Button1Click(); }
    // Rereads the journal into the list.
    void fill();

public slots:
    void Button1Click();
};

}  // namespace arbel::ui

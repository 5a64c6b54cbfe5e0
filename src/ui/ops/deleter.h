#pragma once
// Tdel: the delete dialog. Says what is about to go, offers the trash and
// per-item confirmations, deletes through the engine, then drops deleted folders
// from the tree, closes the windows that showed them and rereads the rest.

#include <QDialog>
#include <QPointer>

#include "ui/ops/dialog_source.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace arbel::ui {

class BackgroundJob;
class TFileLabel;
class Tmdimain;

class Tdel : public QDialog {
    Q_OBJECT
public:
    Tdel(Tmdimain& frame, DialogSource source);
    static Tdel* open(Tmdimain& frame);

    QLabel* Label1 = nullptr;
    TFileLabel* label2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;  // recycle
    QCheckBox* CheckBox2 = nullptr;  // confirmations on
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

public slots:
    void Button1Click();
    void confirm() { Button1Click(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Tmdimain& frame_;
    DialogSource source_;
    QPointer<BackgroundJob> job_;  // the deletion, while it runs
};

}  // namespace arbel::ui

#pragma once
// OperationDialog: the base of the frame's command dialogs (copy and move,
// delete, rename, new folder, and every later one). It holds what they share:
//
// - Creation over the frame: a tool window of the frame, deleted when it closes.
//   The subclass's constructor builds its controls and ends with
//   finishCreation(control) (dialogOpened: ActiveDialog is set, the control is
//   what finddlog() focuses). Its static open() gathers what it works on, builds
//   it and calls showOverFrame(), which shows it and runs finddlog().
// - Confirming: the subclass implements confirm() (the frame calls it for Enter
//   while the dialog is open). With watchConfirmKeys(field, button), Enter in the
//   field confirms and closes, Ctrl+Enter and a right click on the button confirm
//   and keep the dialog open: confirm() asks takeKeepOpen() whether to stay.
// - Work in the background: a confirm that starts a job hands it to runJob(); the
//   dialog neither confirms again nor closes until the job ended.
// - Closing: closeEvent runs dialogClosed (ActiveDialog cleared, dlgback()).

#include <QDialog>
#include <QPointer>

#include "core/app/app_state.h"
#include "ui/app/background_job.h"

class QLineEdit;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

class OperationDialog : public QDialog {
    Q_OBJECT
public:
    app::DialogTag tag() const { return tag_; }
    // A job started by confirm() still runs.
    bool busy() const;

public slots:
    // The dialog's confirm action: the confirm button, Enter.
    virtual void confirm() = 0;

protected:
    OperationDialog(Tmdimain& frame, app::DialogTag tag, const QString& objectName, const QString& title,
                    Qt::WindowFlags extraFlags = {});
    // The last line of the subclass's constructor.
    void finishCreation(QWidget* focusTarget);
    template <class D>
    static D* showOverFrame(Tmdimain& frame, D* dialog) {
        dialog->show();
        finddlogOf(frame);
        return dialog;
    }
    // Enter / Ctrl+Enter in `field`, a right click on `button`.
    void watchConfirmKeys(QLineEdit* field, QPushButton* button);
    // Whether the confirm running now was asked to keep the dialog open; clears it.
    bool takeKeepOpen();
    // The confirm's job: the dialog stays until it ends.
    void runJob(BackgroundJob* job) { job_ = job; }

    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    Tmdimain& frame_;

private:
    static void finddlogOf(Tmdimain& frame);
    app::DialogTag tag_;
    QLineEdit* field_ = nullptr;
    QPushButton* button_ = nullptr;
    bool keepOpen_ = false;
    QPointer<BackgroundJob> job_;
};

}  // namespace arbel::ui

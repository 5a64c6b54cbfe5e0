#include "ui/app/operation_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "ui/app/background_job.h"
#include "ui/frame/mdimain.h"

namespace arbel::ui {

namespace {

bool isEnter(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

OperationDialog::OperationDialog(Tmdimain& frame, app::DialogTag tag, const QString& objectName,
                                 const QString& title, Qt::WindowFlags extraFlags)
    : QDialog(&frame, Qt::Tool | extraFlags), frame_(frame), tag_(tag) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(objectName);
    setWindowTitle(title);
}

void OperationDialog::finishCreation(QWidget* focusTarget) {
    frame_.dialogOpened(tag_, this, focusTarget);
}

void OperationDialog::finddlogOf(Tmdimain& frame) {
    frame.finddlog();
}

bool OperationDialog::busy() const {
    return job_ && job_->running();
}

void OperationDialog::watchConfirmKeys(QLineEdit* field, QPushButton* button) {
    field_ = field;
    button_ = button;
    if (field_) field_->installEventFilter(this);
    if (button_) button_->installEventFilter(this);
}

bool OperationDialog::takeKeepOpen() {
    bool stay = keepOpen_;
    keepOpen_ = false;
    return stay;
}

void OperationDialog::closeEvent(QCloseEvent* event) {
    // A running job ends first: its result still has to reach the windows.
    if (busy()) {
        event->ignore();
        return;
    }
    frame_.dialogClosed(tag_);
    QDialog::closeEvent(event);
}

bool OperationDialog::eventFilter(QObject* watched, QEvent* event) {
    if (field_ && watched == field_) {
        // Enter belongs to the field, not to the frame's Enter shortcut.
        if (event->type() == QEvent::ShortcutOverride && isEnter(event)) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && isEnter(event)) {
            keepOpen_ = static_cast<QKeyEvent*>(event)->modifiers() == Qt::ControlModifier;
            confirm();
            return true;
        }
    }
    if (button_ && watched == button_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        keepOpen_ = true;
        confirm();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace arbel::ui

#include "ui/ops/confirm_keys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace arbel::ui {

namespace {

bool isEnter(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

bool handleConfirmKeys(QObject* watched, QEvent* event, QLineEdit* field, QPushButton* button, bool& keepOpen,
                       const std::function<void()>& confirm) {
    // Enter belongs to the field, not to the frame's Enter shortcut.
    if (watched == field && event->type() == QEvent::ShortcutOverride && isEnter(event)) {
        event->accept();
        return true;
    }
    if (watched == field && event->type() == QEvent::KeyPress && isEnter(event)) {
        keepOpen = static_cast<QKeyEvent*>(event)->modifiers() == Qt::ControlModifier;
        confirm();
        return true;
    }
    if (watched == button && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        keepOpen = true;
        confirm();
        return true;
    }
    return false;
}

}  // namespace arbel::ui

#pragma once
// The keys of the one-field dialogs (rename, new folder): Enter in the field
// confirms and closes, Ctrl+Enter and a right click on the confirm button confirm
// and keep the dialog open for the next name.

#include <functional>

class QEvent;
class QLineEdit;
class QObject;
class QPushButton;

namespace arbel::ui {

// For the dialog's eventFilter (installed on field and button): true when the event
// was taken. keepOpen is set before confirm runs.
bool handleConfirmKeys(QObject* watched, QEvent* event, QLineEdit* field, QPushButton* button, bool& keepOpen,
                       const std::function<void()>& confirm);

}  // namespace arbel::ui

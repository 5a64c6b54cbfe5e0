#pragma once
// Message boxes titled "Arbel", the only way the interface tells the user about a
// failure or asks a question. Tests install an interceptor so no box blocks the
// run and the texts can be checked.

#include <QMessageBox>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "core/config/ini_file.h"

namespace arbel::ui {

inline const QString kMessageTitle = QStringLiteral("Arbel");

struct MessageRequest {
    QMessageBox::Icon icon = QMessageBox::Information;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    // Captions of their own for some of the buttons (the choices a standard
    // button has no word for, such as "Keep Both").
    std::vector<std::pair<QMessageBox::StandardButton, QString>> buttonTexts = {};
};

// Receives every box instead of the screen and returns the button "pressed".
using MessageInterceptor = std::function<QMessageBox::StandardButton(const MessageRequest&)>;
// Installs an interceptor (an empty function removes it); returns the previous one.
MessageInterceptor setMessageInterceptor(MessageInterceptor interceptor);

// A box with an OK button.
void showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::Information);
// A Yes/No question with the question icon; true for Yes.
bool askYesNo(QWidget* parent, const QString& text);
// OK/Cancel, used by multi-item work to go on with the next item; true for OK.
bool askOkCancel(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);
// Any other combination; returns the button pressed.
QMessageBox::StandardButton ask(QWidget* parent, const MessageRequest& request);
// The same without waiting: the box opens (window-modal, raised and active) and
// `answered` runs with the button when it closes (Cancel when it was closed
// otherwise). Returns the box, or null when an interceptor answered at once.
QMessageBox* askLater(QWidget* parent, const MessageRequest& request,
                      std::function<void(QMessageBox::StandardButton)> answered);

// Runs f, a piece of work that writes the settings file; a refused write
// ("Unable to write to <file>") is shown once and the work stops there instead
// of the exception escaping into the event loop. True when f finished.
template <class F>
bool reportWriteErrors(QWidget* parent, F&& f) {
    try {
        f();
        return true;
    } catch (const config::WriteError& e) {
        showMessage(parent, QString::fromUtf8(e.what()), QMessageBox::Critical);
        return false;
    }
}

}  // namespace arbel::ui

#include "ui/app/message_box.h"

#include <QAbstractButton>

namespace arbel::ui {

namespace {
void captionButtons(QMessageBox& box, const MessageRequest& request) {
    for (const auto& [button, text] : request.buttonTexts)
        if (QAbstractButton* b = box.button(button)) b->setText(text);
}

MessageInterceptor& interceptor() {
    static MessageInterceptor instance;
    return instance;
}
}  // namespace

MessageInterceptor setMessageInterceptor(MessageInterceptor next) {
    MessageInterceptor previous = std::move(interceptor());
    interceptor() = std::move(next);
    return previous;
}

QMessageBox::StandardButton ask(QWidget* parent, const MessageRequest& request) {
    if (interceptor()) return interceptor()(request);
    QMessageBox box(request.icon, kMessageTitle, request.text, request.buttons, parent);
    captionButtons(box, request);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox* askLater(QWidget* parent, const MessageRequest& request,
                      std::function<void(QMessageBox::StandardButton)> answered) {
    if (interceptor()) {
        answered(interceptor()(request));
        return nullptr;
    }
    auto* box = new QMessageBox(request.icon, kMessageTitle, request.text, request.buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    captionButtons(*box, request);
    QObject::connect(box, &QDialog::finished, box, [box, answered = std::move(answered)] {
        QMessageBox::StandardButton b = box->standardButton(box->clickedButton());
        answered(b == QMessageBox::NoButton ? QMessageBox::Cancel : b);
    });
    box->open();
    box->raise();
    box->activateWindow();
    return box;
}

void showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    ask(parent, {icon, text, QMessageBox::Ok});
}

bool askYesNo(QWidget* parent, const QString& text) {
    return ask(parent, {QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No}) == QMessageBox::Yes;
}

bool askOkCancel(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    return ask(parent, {icon, text, QMessageBox::Ok | QMessageBox::Cancel}) == QMessageBox::Ok;
}

}  // namespace arbel::ui

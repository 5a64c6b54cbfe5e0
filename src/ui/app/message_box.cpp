#include "ui/app/message_box.h"

namespace arbel::ui {

namespace {
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
    return static_cast<QMessageBox::StandardButton>(box.exec());
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

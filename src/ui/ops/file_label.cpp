#include "ui/ops/file_label.h"

#include <QFontMetrics>

#include "ui/app/scope_guards.h"

namespace arbel::ui {

TFileLabel::TFileLabel(QWidget* parent) : QLabel(parent) {
    setMinimumWidth(1);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TFileLabel::setFileName(const std::string& path) {
    if (path == path_) return;
    path_ = path;
    setToolTip(displayPath(path_));
    refit();
}

void TFileLabel::setDirection(lists::TDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    refit();
}

void TFileLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    refit();
}

void TFileLabel::refit() {
    QFontMetrics fm(font());
    auto width = [&](std::string_view s) { return fm.horizontalAdvance(displayPath(std::string(s))); };
    setText(displayPath(lists::fitPath(path_, contentsRect().width(), width, "/", direction_)));
}

}  // namespace arbel::ui

#include "ui/viewer/gif_image.h"

#include <QPainter>

namespace arbel::ui {

TGIFImage::TGIFImage(QWidget* parent) : QWidget(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &TGIFImage::tick);
    resize(105, 105);
}

Status TGIFImage::setFileName(const std::string& path) {
    if (path.empty()) return Error{path, ENOENT, {}};
    auto img = viewer::loadGif(path);
    if (!img) {
        clear();
        return img.error();
    }
    setImage(path, std::make_shared<viewer::GifImage>(std::move(*img)));
    return {};
}

void TGIFImage::setImage(const std::string& path, std::shared_ptr<viewer::GifImage> image) {
    fileName_ = path;
    player_.setImage(std::move(image));
    if (autoSize_) resize(player_.width(), player_.height());
    updateGeometry();
    schedule();
    update();
}

void TGIFImage::clear() {
    timer_.stop();
    player_.clear();
    fileName_.clear();
    update();
}

void TGIFImage::setAnimate(bool on) {
    player_.setAnimate(on);
    schedule();
    update();
}

void TGIFImage::setSpeed(int percent) {
    player_.setSpeed(percent);
    // The next change comes at the new speed, counted from now.
    schedule();
}

void TGIFImage::schedule() {
    if (player_.playing()) {
        timer_.start(player_.intervalMs());
    } else {
        timer_.stop();
    }
}

void TGIFImage::tick() {
    if (player_.advance()) {
        update();
        emit changed();
    }
    schedule();
}

QImage TGIFImage::currentImage() const {
    if (player_.empty()) return {};
    // The canvas's pixels are opaque or all-zero, so they are valid premultiplied.
    QImage view(reinterpret_cast<const uchar*>(player_.canvas().data()), player_.width(), player_.height(),
                player_.width() * 4, QImage::Format_ARGB32_Premultiplied);
    return view.copy();
}

QSize TGIFImage::sizeHint() const {
    return player_.empty() ? QSize(105, 105) : QSize(player_.width(), player_.height());
}

void TGIFImage::paintEvent(QPaintEvent*) {
    if (player_.empty()) return;
    QPainter p(this);
    QImage view(reinterpret_cast<const uchar*>(player_.canvas().data()), player_.width(), player_.height(),
                player_.width() * 4, QImage::Format_ARGB32_Premultiplied);
    p.drawImage(0, 0, view);
}

void TGIFImage::mousePressEvent(QMouseEvent* event) {
    emit pressed();
    QWidget::mousePressEvent(event);
}

}  // namespace arbel::ui

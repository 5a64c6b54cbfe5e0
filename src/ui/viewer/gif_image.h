#pragma once
// TGIFImage: the picture control for GIF files. The core decodes and composes;
// this widget paints the canvas and runs the frame timer from the player's
// intervals, so painting never sees a half-drawn frame.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>

#include "core/viewer/gif_player.h"

namespace arbel::ui {

class TGIFImage : public QWidget {
    Q_OBJECT
public:
    explicit TGIFImage(QWidget* parent = nullptr);

    // Loads the file (empty: nothing is loaded and nothing changes). A file that is
    // not a GIF or is damaged empties the control and gives the error.
    Status setFileName(const std::string& path);
    // Shows a GIF decoded elsewhere (off the interface thread) as the file `path`.
    void setImage(const std::string& path, std::shared_ptr<viewer::GifImage> image);
    const std::string& fileName() const { return fileName_; }
    void clear();

    bool animate() const { return player_.animate(); }
    void setAnimate(bool on);
    bool loop() const { return player_.loop(); }
    void setLoop(bool on) { player_.setLoop(on), schedule(); }
    int speed() const { return player_.speed(); }
    void setSpeed(int percent);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on) { autoSize_ = on; }

    int pictureWidth() const { return player_.width(); }
    int pictureHeight() const { return player_.height(); }
    int frameCount() const { return player_.frameCount(); }
    int currentFrame() const { return player_.currentFrame(); }
    bool timerActive() const { return timer_.isActive(); }
    int timerInterval() const { return timer_.interval(); }
    // The picture as painted (tests).
    QImage currentImage() const;

    QSize sizeHint() const override;

signals:
    void changed();  // after each frame change (OnChange)
    void pressed();  // a mouse press (the viewer activates its window)

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void tick();
    void schedule();

    viewer::GifPlayer player_;
    QTimer timer_;
    std::string fileName_;
    bool autoSize_ = false;
};

}  // namespace arbel::ui

#pragma once
// Plays a decoded GIF: composes its frames onto a 32-bit canvas following each
// frame's disposal method and transparency, and keeps the animation clock. The
// interface runs a timer from intervalMs() and calls advance() when it fires; tests
// drive the same clock through elapse().

#include <cstdint>
#include <memory>
#include <vector>

#include "core/viewer/gif.h"

namespace arbel::viewer {

class GifPlayer {
public:
    GifPlayer() = default;
    explicit GifPlayer(std::shared_ptr<const GifImage> image);

    // Loads a new picture: the first frame is drawn, the animation rewound.
    void setImage(std::shared_ptr<const GifImage> image);
    void clear();
    bool empty() const { return !image_ || image_->frames.empty(); }
    const GifImage* image() const { return image_.get(); }

    int width() const { return image_ ? image_->width : 0; }
    int height() const { return image_ ? image_->height : 0; }
    int frameCount() const { return image_ ? static_cast<int>(image_->frames.size()) : 0; }
    // The frame on the canvas, counted from 1.
    int currentFrame() const { return shown_ + 1; }
    int loopIteration() const { return iteration_; }
    const std::vector<Argb>& canvas() const { return canvas_; }

    // Playing needs Animate and at least two frames; it stops by itself after the
    // file's loop count unless Loop is set.
    bool animate() const { return animate_; }
    void setAnimate(bool on);
    bool loop() const { return loop_; }
    void setLoop(bool on);
    int speed() const { return speed_; }
    void setSpeed(int percent);  // stored as at least 1
    bool playing() const { return playing_; }

    // How long the frame on the canvas stays, in milliseconds, at the current speed.
    int intervalMs() const;
    // Shows the next frame; returns false (and stops playing) when the loop count is
    // used up, leaving the last frame shown.
    bool advance();
    // Lets `ms` milliseconds of animation time pass; returns the number of frame changes.
    int elapse(int64_t ms);
    // Shows frame n (counted from 1); false when n is out of range.
    bool setCurrentFrame(int n);

    // A recorded delay of 0 or 10 ms plays at this rate, as browsers do: a literal
    // 1 ms timer only burns the processor.
    static constexpr int kShortDelayMs = 100;

private:
    void restart();
    void draw(int index);
    void dispose(int index);
    Argb background() const;

    std::shared_ptr<const GifImage> image_;
    std::vector<Argb> canvas_;
    std::vector<Argb> saved_;  // the area under a "restore to previous" frame
    int shown_ = 0;
    int iteration_ = 1;
    int speed_ = 100;
    bool animate_ = false;
    bool loop_ = false;
    bool playing_ = false;
    int64_t pendingMs_ = 0;  // animation time already spent on the shown frame
};

}  // namespace arbel::viewer

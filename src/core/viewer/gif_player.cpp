#include "core/viewer/gif_player.h"

#include <algorithm>
#include <cstring>

namespace arbel::viewer {

GifPlayer::GifPlayer(std::shared_ptr<const GifImage> image) {
    setImage(std::move(image));
}

void GifPlayer::setImage(std::shared_ptr<const GifImage> image) {
    image_ = std::move(image);
    restart();
    playing_ = animate_ && frameCount() >= 2;
}

void GifPlayer::clear() {
    image_.reset();
    canvas_.clear();
    saved_.clear();
    shown_ = 0;
    iteration_ = 1;
    playing_ = false;
    pendingMs_ = 0;
}

Argb GifPlayer::background() const {
    return image_->anyTransparent ? 0u : 0xFF000000u;
}

// Starts from an empty canvas with frame 1 on it.
void GifPlayer::restart() {
    shown_ = 0;
    iteration_ = 1;
    pendingMs_ = 0;
    saved_.clear();
    if (empty()) {
        canvas_.clear();
        return;
    }
    canvas_.assign(static_cast<size_t>(image_->width) * image_->height, background());
    draw(0);
}

void GifPlayer::draw(int index) {
    const GifFrame& f = image_->frames[index];
    const int w = image_->width;
    if (f.clipWidth == 0) return;  // nothing of it lies on the screen
    if (f.disposal == 3) {
        saved_.resize(static_cast<size_t>(f.clipWidth) * f.clipHeight);
        for (int y = 0; y < f.clipHeight; ++y)
            std::memcpy(saved_.data() + size_t(y) * f.clipWidth,
                        canvas_.data() + size_t(f.clipTop + y) * w + f.clipLeft, sizeof(Argb) * f.clipWidth);
    }
    const bool indexed = f.pixels.empty();
    const Argb* pal = f.palette.data();
    for (int y = 0; y < f.clipHeight; ++y) {
        Argb* dst = canvas_.data() + size_t(f.clipTop + y) * w + f.clipLeft;
        if (indexed) {
            const uint8_t* src = f.indices.data() + size_t(y) * f.clipWidth;
            if (f.opaque) {
                for (int x = 0; x < f.clipWidth; ++x) dst[x] = pal[src[x]];
            } else {
                for (int x = 0; x < f.clipWidth; ++x)
                    if (Argb c = pal[src[x]]) dst[x] = c;
            }
        } else {
            const Argb* src = f.pixels.data() + size_t(y) * f.clipWidth;
            for (int x = 0; x < f.clipWidth; ++x)
                if (src[x]) dst[x] = src[x];
        }
    }
}

void GifPlayer::dispose(int index) {
    const GifFrame& f = image_->frames[index];
    const int w = image_->width;
    if (f.disposal == 2) {
        const Argb bg = background();
        for (int y = 0; y < f.clipHeight; ++y) {
            Argb* dst = canvas_.data() + size_t(f.clipTop + y) * w + f.clipLeft;
            std::fill(dst, dst + f.clipWidth, bg);
        }
    } else if (f.disposal == 3 && saved_.size() == size_t(f.clipWidth) * f.clipHeight) {
        for (int y = 0; y < f.clipHeight; ++y)
            std::memcpy(canvas_.data() + size_t(f.clipTop + y) * w + f.clipLeft,
                        saved_.data() + size_t(y) * f.clipWidth, sizeof(Argb) * f.clipWidth);
    }
}

void GifPlayer::setAnimate(bool on) {
    animate_ = on;
    iteration_ = 1;
    if (on) {
        playing_ = frameCount() >= 2;
        pendingMs_ = 0;
    } else {
        playing_ = false;
        // Stopping rewinds to a clean first frame, not frame 1 over the leftovers.
        if (!empty() && shown_ != 0) restart();
    }
}

void GifPlayer::setLoop(bool on) {
    bool resume = on && !loop_ && animate_ && !playing_ && frameCount() >= 2;
    loop_ = on;
    if (resume) {
        restart();
        playing_ = true;
    }
}

void GifPlayer::setSpeed(int percent) {
    speed_ = std::max(percent, 1);
}

int GifPlayer::intervalMs() const {
    if (empty()) return 0;
    int64_t ms = int64_t(image_->frames[shown_].delayCs) * 10;
    if (ms <= 10) ms = kShortDelayMs;
    return static_cast<int>(std::max<int64_t>(ms * 100 / speed_, 1));
}

bool GifPlayer::advance() {
    if (empty() || frameCount() < 2) return false;
    int next = shown_ + 1;
    if (next >= frameCount()) {
        if (!loop_ && image_->loopCount > 0 && ++iteration_ > image_->loopCount) {
            playing_ = false;
            return false;
        }
        next = 0;
    }
    dispose(shown_);
    draw(next);
    shown_ = next;
    return true;
}

int GifPlayer::elapse(int64_t ms) {
    int changes = 0;
    pendingMs_ += ms;
    while (playing_) {
        int interval = intervalMs();
        if (pendingMs_ < interval) break;
        pendingMs_ -= interval;
        if (!advance()) break;
        ++changes;
    }
    if (!playing_) pendingMs_ = 0;
    return changes;
}

bool GifPlayer::setCurrentFrame(int n) {
    if (n < 1 || n > frameCount()) return false;
    if (n - 1 == shown_) return true;
    dispose(shown_);
    draw(n - 1);
    shown_ = n - 1;
    pendingMs_ = 0;
    return true;
}

}  // namespace arbel::viewer

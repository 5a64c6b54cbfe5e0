#pragma once
// The wait cursor and frozen painting of multi-window work, released on every
// path (an exception or an early return included), so a failed command never
// leaves the frame unpainted or the hourglass stuck.

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QWidget>

namespace arbel::ui {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Stops painting of a widget (normally the frame's client area) for the scope.
// Nested guards are fine: only the outermost one turns painting back on.
class FrozenUpdates {
public:
    explicit FrozenUpdates(QWidget* widget)
        : widget_(widget), wasEnabled_(widget && widget->updatesEnabled()) {
        if (widget_) widget_->setUpdatesEnabled(false);
    }
    ~FrozenUpdates() {
        if (widget_ && wasEnabled_) widget_->setUpdatesEnabled(true);
    }
    FrozenUpdates(const FrozenUpdates&) = delete;
    FrozenUpdates& operator=(const FrozenUpdates&) = delete;

private:
    QPointer<QWidget> widget_;
    bool wasEnabled_;
};

// The byte-string path of the core shown as text: invalid UTF-8 is replaced for
// display only; act on the original bytes.
inline QString displayPath(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace arbel::ui

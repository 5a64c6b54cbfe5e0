#include "ui/tree/mount_notifier.h"

#include <QSocketNotifier>

#include "core/app/file_system.h"

namespace arbel::ui {

MountNotifier::MountNotifier(QObject* parent) : QObject(parent), watch_(std::make_unique<MountWatch>()) {
    if (watch_->fd() >= 0) {
        notifier_ = new QSocketNotifier(watch_->fd(), QSocketNotifier::Exception, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { settle_.start(); });
    }
    // A desktop mounting a stick changes the table several times in a row.
    settle_.setSingleShot(true);
    settle_.setInterval(200);
    connect(&settle_, &QTimer::timeout, this, &MountNotifier::check);
    poll_.setInterval(2000);
    connect(&poll_, &QTimer::timeout, this, &MountNotifier::check);
    poll_.start();
}

MountNotifier::~MountNotifier() = default;

void MountNotifier::check() {
    if (watch_->changed()) emit mountsChanged();
}

}  // namespace arbel::ui

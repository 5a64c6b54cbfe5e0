#pragma once
// Tells when the mount table changed: the kernel flags /proc/self/mountinfo with an
// exceptional condition on every mount and unmount; a slow poll stands in where that
// does not reach us. Changes arriving together are reported once.

#include <QObject>
#include <QTimer>
#include <memory>

namespace arbel {
class MountWatch;
}

class QSocketNotifier;

namespace arbel::ui {

class MountNotifier : public QObject {
    Q_OBJECT
public:
    explicit MountNotifier(QObject* parent = nullptr);
    ~MountNotifier() override;

signals:
    void mountsChanged();

private:
    void check();
    std::unique_ptr<MountWatch> watch_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer poll_;
    QTimer settle_;
};

}  // namespace arbel::ui

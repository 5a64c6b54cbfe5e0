#include "ui/app/shutdown_watch.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "core/app/job_control.h"

namespace arbel::ui {

void watchShutdownSignals() {
    installShutdownSignals();
    auto* timer = new QTimer(qApp);
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (!shutdownRequested()) return;
        if (runningJobs() == 0) {
            QApplication::quit();
            return;
        }
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    timer->start();
}

}  // namespace arbel::ui

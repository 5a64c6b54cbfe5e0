#pragma once
// Folder Size (F4, right button on Refresh): the count runs as a core job on the
// interface's background job while the frame stays usable. A busy indicator in
// the status bar shows it and stops it when pressed; Escape stops it too. A
// stopped count shows and writes nothing.

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "core/lists/folder_size.h"
#include "ui/app/background_job.h"

class QToolButton;

namespace arbel::ui {

class ChildWindow;
class Tmdimain;

class FolderSizeRunner : public QObject {
    Q_OBJECT
public:
    enum class Target { Tree, List };
    FolderSizeRunner(Tmdimain& frame, Target target, ChildWindow* window, std::vector<std::string> folders);
    ~FolderSizeRunner() override;

    // The count now running, or null.
    static FolderSizeRunner* current();
    // Escape or the busy indicator: the worker stops at its next entry.
    void stop();
    bool stopped() const { return background_.cancelled(); }
    const lists::FolderSizeJob& job() const { return *job_; }

signals:
    // The count is over and its result shown (completed) or dropped (stopped).
    void finished(bool completed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();
    void done(bool completed);
    void showResult();

    Tmdimain& frame_;
    Target target_;
    QPointer<ChildWindow> window_;
    std::unique_ptr<lists::FolderSizeJob> job_;
    BackgroundJob background_;  // after job_: stops and joins the count before the job goes
    QPointer<QToolButton> indicator_;
    bool cursorSet_ = false;
};

// statsbutClick: starts a count for the active window (the tree's selected
// folder, or the selected entries of a folder or auto-folder window). Does
// nothing while another count runs or when there is nothing to count.
void startFolderSize(Tmdimain& frame);

}  // namespace arbel::ui

#include "ui/frame/folder_size_runner.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStatusBar>
#include <QToolButton>

#include "core/lists/list_format.h"
#include "ui/app/child_window.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

namespace {

FolderSizeRunner* running = nullptr;

}  // namespace

FolderSizeRunner::FolderSizeRunner(Tmdimain& frame, Target target, ChildWindow* window,
                                   std::vector<std::string> folders)
    : QObject(&frame),
      frame_(frame),
      target_(target),
      window_(window),
      job_(std::make_unique<lists::FolderSizeJob>(std::move(folders))) {
    running = this;
    start();
}

FolderSizeRunner::~FolderSizeRunner() {
    background_.cancel();
    if (cursorSet_) QApplication::restoreOverrideCursor();
    if (indicator_) indicator_->deleteLater();
    qApp->removeEventFilter(this);
    if (running == this) running = nullptr;
}

FolderSizeRunner* FolderSizeRunner::current() {
    return running;
}

void FolderSizeRunner::start() {
    // The busy indicator is also the Stop button.
    indicator_ = new QToolButton(frame_.statusBar());
    indicator_->setObjectName(QStringLiteral("image1"));
    indicator_->setIcon(QIcon::fromTheme(QStringLiteral("process-stop")));
    indicator_->setText(QStringLiteral("Stop"));
    indicator_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    indicator_->setToolTip(QStringLiteral("Counting folder sizes; press to stop (Esc)"));
    indicator_->setAutoRaise(true);
    connect(indicator_, &QToolButton::clicked, this, &FolderSizeRunner::stop);
    frame_.statusBar()->addPermanentWidget(indicator_);
    indicator_->show();
    // The arrow with the hourglass: busy, but the windows still take commands.
    QApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    cursorSet_ = true;
    qApp->installEventFilter(this);

    auto completed = std::make_shared<bool>(false);
    background_.start(
        [job = job_.get(), completed](JobContext& context) { *completed = job->run(context.cancelToken()); },
        [this, completed] { done(*completed); });
}

void FolderSizeRunner::stop() {
    background_.cancel();
}

bool FolderSizeRunner::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        !stopped()) {
        stop();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void FolderSizeRunner::done(bool completed) {
    qApp->removeEventFilter(this);
    if (cursorSet_) QApplication::restoreOverrideCursor();
    cursorSet_ = false;
    if (indicator_) indicator_->deleteLater();
    if (running == this) running = nullptr;
    completed = completed && !stopped();
    if (completed) showResult();
    emit finished(completed);
    deleteLater();
}

void FolderSizeRunner::showResult() {
    if (!window_) return;  // closed during the count: nothing to write into
    const std::vector<lists::FolderSize>& sizes = job_->results();
    if (target_ == Target::Tree) {
        if (sizes.empty()) return;
        lists::ListFormat fmt = TFileList::systemFormat();
        const std::string text = lists::folderSizeReport(job_->folders().front(), sizes.front(), fmt);
        showMessage(&frame_, displayPath(text));
        return;
    }
    auto* w = qobject_cast<FileWindow*>(window_.data());
    if (!w) return;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i].isFolder) w->setFolderSize(job_->folders()[i], sizes[i].bytes);
    // The sizes are in the report style's size column: show it.
    if (w->displayStyle() != DisplayStyle::Report) {
        FrozenUpdates frozen(frame_.clientArea());
        w->setDisplayStyle(DisplayStyle::Report);
    } else {
        w->listView().update();
    }
    if (activeFileWindow(frame_) == w) frame_.viewPanel()->setDisplayStyle(DisplayStyle::Report);
}

void startFolderSize(Tmdimain& frame) {
    if (FolderSizeRunner::current()) return;
    app::AppState& st = frame.state();
    if (st.activeKind == app::ActiveKind::Dir) {
        Tmdisubdir* tree = Tmdisubdir::of(frame);
        if (!tree) return;
        std::string folder = tree->selectedFolder();
        if (folder.empty()) return;
        new FolderSizeRunner(frame, FolderSizeRunner::Target::Tree, tree, {folder});
        return;
    }
    FileWindow* w = activeFileWindow(frame);
    if (!w) return;
    std::vector<std::string> items = w->selectedPaths();
    if (items.empty()) return;
    new FolderSizeRunner(frame, FolderSizeRunner::Target::List, w, std::move(items));
}

}  // namespace arbel::ui

#include "ui/app/background_job.h"

#include <QDialog>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <exception>

namespace arbel::ui {

struct JobRun {
    CancelToken cancel;
    std::mutex mutex;
    std::condition_variable answered, ended;
    // The job this run reports to; null once the job gave the run up or went away.
    BackgroundJob* job = nullptr;
    bool finished = false;  // the work returned
    // The question the worker waits on.
    uint64_t questionId = 0;
    std::optional<QMessageBox::StandardButton> answer;
    bool abandoned = false;
};

const CancelToken& JobContext::cancelToken() const {
    return run_->cancel;
}

QMessageBox::StandardButton JobContext::ask(const MessageRequest& request) {
    std::unique_lock lock(run_->mutex);
    if (run_->abandoned || !run_->job) return QMessageBox::Cancel;
    const uint64_t id = ++run_->questionId;
    run_->answer.reset();
    // Posted under the lock: the job cannot go away before the post, and a call
    // still queued when it goes is dropped with it.
    BackgroundJob* job = run_->job;
    QMetaObject::invokeMethod(
        job, [job, request, id] { job->showQuestion(request, id); }, Qt::QueuedConnection);
    run_->answered.wait(lock, [&] { return run_->answer.has_value() || run_->abandoned; });
    if (!run_->answer) return QMessageBox::Cancel;
    return *run_->answer;
}

BackgroundJob::BackgroundJob(QObject* parent, QWidget* owner) : QObject(parent), owner_(owner) {
    timer_.setInterval(kPollIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &BackgroundJob::tick);
    graceTimer_.setSingleShot(true);
    deadlineTimer_.setSingleShot(true);
    connect(&graceTimer_, &QTimer::timeout, this, [this] { giveUp(true); });
    connect(&deadlineTimer_, &QTimer::timeout, this, [this] { giveUp(true); });
}

BackgroundJob::~BackgroundJob() {
    if (run_) {
        run_->cancel.cancel();
        std::unique_lock lock(run_->mutex);
        run_->abandoned = true;
        run_->job = nullptr;
        run_->answered.notify_all();
        if (graceMs_ >= 0 && worker_.joinable()) {
            // A worker stuck in a call is left to it: the program never hangs on a dead mount.
            run_->ended.wait_for(lock, std::chrono::milliseconds(graceMs_), [&] { return run_->finished; });
            if (!run_->finished) worker_.detach();
        }
    }
    if (worker_.joinable()) worker_.join();
    if (question_) question_->deleteLater();
    delete progress_;
}

void BackgroundJob::allowGivingUp(int graceMs, std::function<void()> gaveUp) {
    graceMs_ = std::max(0, graceMs);
    gaveUpHandler_ = std::move(gaveUp);
}

bool BackgroundJob::cancelled() const {
    return run_ && run_->cancel.cancelled();
}

void BackgroundJob::cancel() {
    if (!run_) return;
    const bool first = !run_->cancel.cancelled();
    run_->cancel.cancel();
    if (!running_ || !first || graceMs_ < 0) return;
    // Stop is taken at once: the window says so until the worker is back.
    if (progressLabel_) progressLabel_->setText(QStringLiteral("Stopping\u2026"));
    if (progressBar_) progressBar_->setRange(0, 0);
    graceTimer_.start(graceMs_);
}

void BackgroundJob::detachRun() {
    run_->cancel.cancel();
    {
        std::lock_guard lock(run_->mutex);
        run_->abandoned = true;
        run_->job = nullptr;
    }
    run_->answered.notify_all();
    if (worker_.joinable()) worker_.detach();
    running_ = false;
    timer_.stop();
    graceTimer_.stop();
    deadlineTimer_.stop();
    done_ = {};
    if (progress_) progress_->hide();
    if (question_) {
        question_->deleteLater();
        question_ = nullptr;
    }
}

void BackgroundJob::abandon() {
    if (!running_) return;
    if (graceMs_ < 0) {
        cancel();
        wait();
        return;
    }
    detachRun();
}

void BackgroundJob::giveUp(bool notify) {
    if (!running_ || graceMs_ < 0) return;
    detachRun();
    gaveUp_ = true;
    if (notify && gaveUpHandler_) gaveUpHandler_();
}

void BackgroundJob::setProgressWindow(QString title, std::function<ProgressReport()> report) {
    report_ = std::move(report);
    if (!progress_) {
        progress_ = new QDialog(owner_, Qt::Tool);
        progress_->setObjectName(QStringLiteral("operationProgress"));
        auto* layout = new QVBoxLayout(progress_);
        progressLabel_ = new QLabel(progress_);
        progressLabel_->setMinimumWidth(360);
        progressBar_ = new QProgressBar(progress_);
        progressBar_->setRange(0, 1000);
        auto* stop = new QPushButton(QStringLiteral("Stop"), progress_);
        stop->setObjectName(QStringLiteral("stopButton"));
        layout->addWidget(progressLabel_);
        layout->addWidget(progressBar_);
        layout->addWidget(stop, 0, Qt::AlignRight);
        connect(stop, &QPushButton::clicked, this, &BackgroundJob::cancel);
        // Escape or closing the window stops the work as Stop does.
        connect(progress_, &QDialog::rejected, this, &BackgroundJob::cancel);
    }
    progress_->setWindowTitle(title.isEmpty() ? kMessageTitle : title);
}

bool BackgroundJob::start(std::function<void(JobContext&)> work, std::function<void()> done) {
    if (running_) return false;
    if (worker_.joinable()) worker_.join();
    auto run = std::make_shared<JobRun>();
    run->job = this;
    run_ = run;
    gaveUp_ = false;
    done_ = std::move(done);
    running_ = true;
    const uint64_t generation = ++generation_;
    clock_.start();
    timer_.start();
    if (graceMs_ >= 0 && deadlineMs_ > 0) deadlineTimer_.start(deadlineMs_);
    worker_ = std::thread([run, work = std::move(work), generation]() mutable {
        {
            JobContext context(run);
            try {
                work(context);
            } catch (const std::exception&) {
                // Out of memory or threads: the job ends with what it has; `done` sees it.
            }
            // What the work holds goes now, on this thread, whoever waits for it.
            work = {};
        }
        std::lock_guard lock(run->mutex);
        run->finished = true;
        run->ended.notify_all();
        if (BackgroundJob* job = run->job)
            QMetaObject::invokeMethod(
                job, [job, generation] { job->finish(generation); }, Qt::QueuedConnection);
    });
    return true;
}

void BackgroundJob::wait() {
    if (!running_) return;
    if (worker_.joinable()) worker_.join();
    finish(generation_);
}

void BackgroundJob::finish(uint64_t generation) {
    if (!running_ || generation != generation_) return;  // delivered by wait() already
    if (worker_.joinable()) worker_.join();
    running_ = false;
    timer_.stop();
    graceTimer_.stop();
    deadlineTimer_.stop();
    if (progress_) progress_->hide();
    // `done` may start the next job.
    auto done = std::move(done_);
    done_ = {};
    if (done) done();
}

void BackgroundJob::tick() {
    if (!running_) return;
    if (poll_) poll_();
    if (!progress_ || !report_) return;
    if (!progress_->isVisible()) {
        if (clock_.elapsed() < kProgressDelayMs) return;
        progress_->show();
        // A question asked before the window appeared stays in front of it.
        if (question_) {
            question_->raise();
            question_->activateWindow();
        }
    }
    if (cancelled() && graceMs_ >= 0) return;  // it says "Stopping..." until the worker is back
    ProgressReport r = report_();
    progressLabel_->setText(r.text);
    if (r.permille < 0) {
        progressBar_->setRange(0, 0);  // unknown total: a busy bar
    } else {
        progressBar_->setRange(0, 1000);
        progressBar_->setValue(r.permille);
    }
}

QWidget* BackgroundJob::frontWindow() const {
    if (progress_ && progress_->isVisible()) return progress_;
    return owner_;
}

void BackgroundJob::showQuestion(const MessageRequest& request, uint64_t id) {
    QPointer<BackgroundJob> self(this);
    QMessageBox* box = askLater(frontWindow(), request, [self, id](QMessageBox::StandardButton b) {
        if (self) self->answer(id, b);
    });
    if (box && self) question_ = box;
}

void BackgroundJob::answer(uint64_t id, QMessageBox::StandardButton button) {
    if (!run_) return;
    {
        std::lock_guard lock(run_->mutex);
        if (id != run_->questionId) return;
        run_->answer = button;
    }
    question_ = nullptr;
    run_->answered.notify_all();
}

}  // namespace arbel::ui

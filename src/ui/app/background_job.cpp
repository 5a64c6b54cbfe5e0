#include "ui/app/background_job.h"

#include <QDialog>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace arbel::ui {

const CancelToken& JobContext::cancelToken() const {
    return job_.cancel_;
}

QMessageBox::StandardButton JobContext::ask(const MessageRequest& request) {
    std::unique_lock lock(job_.mutex_);
    if (job_.abandoned_) return QMessageBox::Cancel;
    const uint64_t id = ++job_.questionId_;
    job_.answer_.reset();
    // The job outlives this call (its destructor waits for the worker), and a call
    // still queued when it goes is dropped with it.
    QMetaObject::invokeMethod(
        &job_, [job = &job_, request, id] { job->showQuestion(request, id); }, Qt::QueuedConnection);
    job_.answered_.wait(lock, [&] { return job_.answer_.has_value() || job_.abandoned_; });
    if (!job_.answer_) return QMessageBox::Cancel;
    return *job_.answer_;
}

BackgroundJob::BackgroundJob(QObject* parent, QWidget* owner) : QObject(parent), owner_(owner) {
    timer_.setInterval(kPollIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &BackgroundJob::tick);
}

BackgroundJob::~BackgroundJob() {
    cancel_.cancel();
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    answered_.notify_all();
    if (worker_.joinable()) worker_.join();
    if (question_) question_->deleteLater();
    delete progress_;
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
    cancel_.reset();
    {
        std::lock_guard lock(mutex_);
        abandoned_ = false;
        answer_.reset();
    }
    done_ = std::move(done);
    running_ = true;
    const uint64_t generation = ++generation_;
    clock_.start();
    timer_.start();
    worker_ = std::thread([this, work = std::move(work), generation] {
        JobContext context(*this);
        try {
            work(context);
        } catch (const std::exception&) {
            // Out of memory or threads: the job ends with what it has; `done` sees it.
        }
        QMetaObject::invokeMethod(
            this, [this, generation] { finish(generation); }, Qt::QueuedConnection);
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
    {
        std::lock_guard lock(mutex_);
        if (id != questionId_) return;
        answer_ = button;
    }
    question_ = nullptr;
    answered_.notify_all();
}

}  // namespace arbel::ui

#pragma once
// BackgroundJob: the one way long work leaves the interface thread. Folder reads,
// searches and file operations run on it; so does every later job.
//
// - start(work, done): `work` runs on a worker thread and gets a JobContext;
//   `done` runs afterwards on the interface thread (never if the job object was
//   destroyed first).
// - Progress is polled, never pushed: while the work runs, the poll function runs
//   on the interface thread every kPollIntervalMs. With a progress window set up,
//   the window shows once the work has lasted kProgressDelayMs; its Stop, Escape or
//   closing it cancels the job.
// - Questions: the worker calls JobContext::ask and blocks until the user answered.
//   The interface thread shows the box without a nested event loop (QDialog::open,
//   the answer handed back from its finished signal), parented to the window in
//   front (the progress window once shown, else the owner) and raised and activated
//   above it. This is the only way a running job talks to the user.
// - cancel() sets the token the work checks. Destroying the job cancels it, answers
//   a waiting question with Cancel and waits for the worker.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/cancel.h"
#include "ui/app/message_box.h"

class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

namespace arbel::ui {

inline constexpr int kProgressDelayMs = 500;  // the progress window never flashes up for short work
inline constexpr int kPollIntervalMs = 100;

class BackgroundJob;

// What the work sees of its job, on the worker thread.
class JobContext {
public:
    const CancelToken& cancelToken() const;
    bool cancelled() const { return cancelToken().cancelled(); }
    // Asks the user and waits for the answer (Cancel when the job is going away).
    QMessageBox::StandardButton ask(const MessageRequest& request);

private:
    friend class BackgroundJob;
    explicit JobContext(BackgroundJob& job) : job_(job) {}
    BackgroundJob& job_;
};

// What the progress window shows; permille < 0 for a busy bar (total unknown).
struct ProgressReport {
    QString text;
    int permille = -1;
};

class BackgroundJob : public QObject {
    Q_OBJECT
public:
    // owner: the window questions and the progress window belong to (may be null
    // for jobs that never ask and show no window).
    explicit BackgroundJob(QObject* parent = nullptr, QWidget* owner = nullptr);
    ~BackgroundJob() override;

    // Called on the interface thread every kPollIntervalMs while the work runs.
    void setPoll(std::function<void()> poll) { poll_ = std::move(poll); }
    // Sets up the progress window: its title and what it shows at each poll.
    void setProgressWindow(QString title, std::function<ProgressReport()> report);

    // Starts the work; false when a job runs already.
    bool start(std::function<void(JobContext&)> work, std::function<void()> done = {});
    void cancel() { cancel_.cancel(); }
    bool running() const { return running_; }
    // Blocks until the work ended and runs `done` now (tests, a new read replacing
    // the old one). Only for work that never asks: a question would wait for this
    // thread.
    void wait();

    // The progress window (null until set up) and the question being asked (null
    // when none is open); for tests and for the window's own owner.
    QDialog* progressWindow() const { return progress_; }
    QMessageBox* openQuestion() const { return question_; }

private:
    friend class JobContext;
    void tick();
    void finish(uint64_t generation);
    void showQuestion(const MessageRequest& request, uint64_t id);
    void answer(uint64_t id, QMessageBox::StandardButton button);
    QWidget* frontWindow() const;

    QPointer<QWidget> owner_;
    CancelToken cancel_;
    std::thread worker_;
    bool running_ = false;
    uint64_t generation_ = 0;
    std::function<void()> done_;
    std::function<void()> poll_;
    QTimer timer_;
    QElapsedTimer clock_;

    std::function<ProgressReport()> report_;
    QPointer<QDialog> progress_;
    QLabel* progressLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;

    // The question the worker waits on; guarded by mutex_.
    std::mutex mutex_;
    std::condition_variable answered_;
    uint64_t questionId_ = 0;
    std::optional<QMessageBox::StandardButton> answer_;
    bool abandoned_ = false;
    QPointer<QMessageBox> question_;
};

}  // namespace arbel::ui

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
// - Giving up: a worker blocked inside a call on a dead mount cannot see its token.
//   A job whose work holds only what it shares with `done` (never a window) may
//   allow giving it up: after Stop the progress window says "Stopping..." and the
//   worker gets a grace time to return; past it, or past the job's deadline, the job
//   lets the worker finish alone, throws its results away and runs `gaveUp` in place
//   of `done`. Destroying such a job waits for its worker no longer than the grace.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "core/app/job_control.h"
#include "ui/app/message_box.h"

class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

namespace arbel::ui {

inline constexpr int kProgressDelayMs = 500;  // the progress window never flashes up for short work
inline constexpr int kPollIntervalMs = 100;

inline constexpr int kStopGraceMs = 150;  // Stop feels immediate; a stuck worker is left after this

class BackgroundJob;

// What one run shares between its worker and its job; the worker keeps it alive
// after a job gave the run up.
struct JobRun;

// What the work sees of its job, on the worker thread.
class JobContext {
public:
    const CancelToken& cancelToken() const;
    bool cancelled() const { return cancelToken().cancelled(); }
    // Asks the user and waits for the answer (Cancel when the job is going away).
    QMessageBox::StandardButton ask(const MessageRequest& request);

private:
    friend class BackgroundJob;
    explicit JobContext(std::shared_ptr<JobRun> run) : run_(std::move(run)) {}
    std::shared_ptr<JobRun> run_;
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

    // The work shares nothing with a window, so the job may give it up (see above):
    // graceMs after Stop, and at destruction. gaveUp runs on the interface thread.
    void allowGivingUp(int graceMs = kStopGraceMs, std::function<void()> gaveUp = {});
    // With allowGivingUp: a run not ended deadlineMs after its start is given up
    // (0: no deadline). Applies to the runs started after.
    void setDeadline(int deadlineMs) { deadlineMs_ = deadlineMs; }
    // Lets a running work go at once (a new read replaces it): no done, no gaveUp.
    void abandon();

    // Starts the work; false when a job runs already.
    bool start(std::function<void(JobContext&)> work, std::function<void()> done = {});
    // Sets the token the work checks; a job that may be given up says "Stopping..."
    // and gives its worker the grace time to return.
    void cancel();
    bool cancelled() const;
    bool running() const { return running_; }
    // The last run was given up (Stop past the grace, or the deadline).
    bool gaveUp() const { return gaveUp_; }
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
    void giveUp(bool notify);
    void detachRun();
    void showQuestion(const MessageRequest& request, uint64_t id);
    void answer(uint64_t id, QMessageBox::StandardButton button);
    QWidget* frontWindow() const;

    QPointer<QWidget> owner_;
    std::shared_ptr<JobRun> run_;
    std::thread worker_;
    int graceMs_ = -1;  // < 0: never given up
    int deadlineMs_ = 0;
    bool gaveUp_ = false;
    std::function<void()> gaveUpHandler_;
    QTimer graceTimer_, deadlineTimer_;
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

    QPointer<QMessageBox> question_;
};

}  // namespace arbel::ui

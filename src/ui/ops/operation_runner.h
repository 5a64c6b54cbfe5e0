#pragma once
// File operations on the interface's background job (ui/app/background_job.h):
// the engine's questions (replace, create the target, delete, delete for good, an
// error) become message boxes in front of the frame or of the progress window,
// and the progress window with Stop appears when the work lasts.

#include <QString>
#include <functional>
#include <memory>

#include "core/ops/file_operation.h"
#include "ui/app/background_job.h"

class QWidget;

namespace arbel::ui {

// The replace question's captions for Keep Both (the incoming file takes a free
// "name (2).ext"), once and for every later conflict of the job.
inline const QString kKeepBoth = QStringLiteral("&Keep Both");
inline const QString kKeepBothForAll = QStringLiteral("Keep Both for A&ll");

struct FileJobOptions {
    bool showProgress = true;  // false: no progress window (no animation)
    QString title;             // of the progress window; "Arbel" when empty
};

// Runs `job` on a new BackgroundJob, a child of `parent` (destroying it stops the
// job), with questions and progress in front of `owner`. `done` gets the result
// on the interface thread. Returns the background job (tests look at its windows).
BackgroundJob* runFileOperation(QObject* parent, QWidget* owner, std::unique_ptr<ops::FileOperation> job,
                                FileJobOptions options,
                                std::function<void(const ops::OperationResult&)> done);

// The engine's questions, asked through a job's context; public for the tests
// that put a question in front of a progress window.
std::unique_ptr<ops::OperationQuestions> makeOperationQuestions(JobContext& context);

// The number of items of a finished job that failed.
int failedItems(const ops::OperationResult& result);

}  // namespace arbel::ui

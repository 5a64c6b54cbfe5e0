#pragma once
// Runs a file-operation job on a worker thread while the interface stays live:
// the job's questions (replace, create the target, delete, delete for good, an
// error) become message boxes on the interface thread, and a progress window
// with Stop appears when the work lasts longer than about half a second.

#include <QString>

#include "core/ops/file_operation.h"
#include "core/ops/shell_file_op.h"

class QWidget;

namespace arbel::ui {

// Blocks the caller (the interface keeps running in a local event loop) until the
// job ends. showProgress false: no progress window (no animation).
ops::OperationResult runOperation(QWidget* parent, ops::FileOperation& job, bool showProgress = true,
                                  const QString& title = {});

// The runner TShellFileOp hands its jobs to, with the component's Animate and
// ProgressTitle.
void attachRunner(ops::TShellFileOp& op, QWidget* parent);

// Tells the user about the failures of a finished job, once (the job asked about
// each while it ran; this is for the dialogs that need a summary). Returns the
// number of failed items.
int failedItems(const ops::OperationResult& result);

// How long the work must last before the progress window shows.
inline constexpr int kProgressDelayMs = 500;

}  // namespace arbel::ui

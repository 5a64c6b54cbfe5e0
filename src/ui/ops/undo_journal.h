#pragma once
// The frame's undo journal (core/ops/undo_journal.h) and the one way an entry is
// undone: on a background job with progress and Stop, the tree and the windows
// brought in step through the same after-effects as after the operation, and
// whatever could not be undone told by name and reason.

#include <QString>
#include <cstdint>
#include <functional>

#include "core/ops/attrib_edit.h"
#include "core/ops/file_operation.h"
#include "core/ops/undo_journal.h"

class QWidget;

namespace arbel::ui {

class BackgroundJob;
class Tmdimain;

ops::UndoJournal& undoJournal(Tmdimain& frame);
// There is an entry to undo and no undo runs now.
bool undoAvailable(const Tmdimain& frame);

// What the dialogs call when their work is done.
void recordOperation(Tmdimain& frame, const ops::OperationResult& result);
void recordAttributeRun(Tmdimain& frame, const ops::AttribRun& run);

// "&Undo Copy of 3 items to /home/ann/x" (an "&" of a name doubled), "&Undo"
// when there is nothing to undo.
QString undoMenuText(const Tmdimain& frame);

// Undoes entry `id` (the newest when 0). Refused with a message in front of
// `owner` when a newer entry touches the same items or another undo runs.
// `done` runs on the interface thread once the undo has been applied. Returns the
// job, or null when nothing was started.
BackgroundJob* startUndo(Tmdimain& frame, QWidget* owner, uint64_t id = 0, std::function<void()> done = {});

}  // namespace arbel::ui

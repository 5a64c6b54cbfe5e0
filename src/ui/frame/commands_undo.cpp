// Undo of the file commands: the newest entry from the File menu and Ctrl+Z,
// any entry from the history window.
#include "core/commands/gates.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/undo_history.h"
#include "ui/ops/undo_journal.h"

namespace arbel::ui {

void Tmdimain::Undo1Click() {
    if (!commands::gateOpen(commands::Command::Undo, commandState(*this))) return;
    startUndo(*this, this);
}

void Tmdimain::UndoHistory1Click() {
    if (!commands::gateOpen(commands::Command::UndoHistory, commandState(*this))) return;
    Tundohist::open(*this);
}

}  // namespace arbel::ui

// The deferred start: the windows Arbel opens one tick after the frame shows.
#include "core/app/placement.h"
#include "ui/frame/mdimain.h"

namespace arbel::ui {

// Runs once with StartupPhase set and painting of the client area frozen.
// Create the folder-tree window here (it becomes currentOf(ActiveKind::Dir)
// and the frame activates it afterwards), then, unless "auto" is set in
// section "windows", the auto-folder window:
//     new Tmdisubdir(*this);
//     if (autoWindowAtStart(config())) AutoDirectory1Click();
void Tmdimain::createStartupWindows() {}

}  // namespace arbel::ui

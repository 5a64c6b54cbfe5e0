// The deferred start: the windows Arbel opens one tick after the frame shows.
#include "core/app/placement.h"
#include "ui/frame/mdimain.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

// Runs once with StartupPhase set and painting of the client area frozen. The tree
// window selects the saved folder ("dirload", else the home folder) and becomes
// currentOf(ActiveKind::Dir), which the frame activates afterwards; then, unless
// "auto" is set in section "windows", the auto-folder window opens.
void Tmdimain::createStartupWindows() {
    new Tmdisubdir(*this);
    if (app::autoWindowAtStart(config())) AutoDirectory1Click();
}

}  // namespace arbel::ui

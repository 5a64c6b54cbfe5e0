// The frame's own commands: exit, the frame's settings, the default
// configuration, help and about; and running any command by its id.
#include <QGuiApplication>

#include "core/app/placement.h"
#include "ui/app/message_box.h"
#include "ui/frame/about_box.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/help_window.h"
#include "ui/frame/mdimain.h"

namespace arbel::ui {

void Tmdimain::Exit1Click() {
    close();
}

void Tmdimain::SaveSettings1Click() {
    const QPoint pos = this->pos();
    const app::Rect rect{pos.y(), pos.x(), width(), height()};
    reportWriteErrors(this,
                      [&] { app::saveFrameSettings(*config_, isMaximized(), rect, state_.autoWindowOpen); });
}

void Tmdimain::RestoreDefault1Click() {
    reportWriteErrors(this, [&] { app::restoreFrameDefault(*config_); });
}

void Tmdimain::DefaultConfiguration1Click() {
    if (reportWriteErrors(this, [&] { app::eraseWindowSettings(*config_); }))
        showMessage(this, QStringLiteral("You must restart Arbel for changes to take effect."));
}

void Tmdimain::Contents1Click() {
    helpWindow()->showPage(HelpPage::Contents);
}

void Tmdimain::ScreenMap1Click() {
    helpWindow()->showPage(HelpPage::ScreenMap);
}

void Tmdimain::About1Click() {
    AboutBox::open(this);
}

void Tmdimain::runCommand(commands::Command id) {
    // The action's handler checks the command's gate, whatever menu asked.
    if (QAction* action = actions_->action(id)) action->trigger();
}

}  // namespace arbel::ui

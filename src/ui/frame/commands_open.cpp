// Open menu commands: opening items, folder windows, the auto-folder window
// and viewers.
#include "ui/frame/mdimain.h"

namespace arbel::ui {

void Tmdimain::Selected1Click() {}
void Tmdimain::Directory1Click() {}
void Tmdimain::DirectoryAs1Click() {}
void Tmdimain::AutoDirectory1Click() {}
void Tmdimain::View2Click() {}
void Tmdimain::AutoView1Click() {}

// Menu opening: enabling of the Open menu's items.
void Tmdimain::Open1Click() {}

// Right-button alternate of the Auto Folder button: Folder As.
void Tmdimain::autodirbutRightClick() {}

}  // namespace arbel::ui

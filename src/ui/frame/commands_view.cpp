// View menu commands: filter, folders-only, folder size, display styles, sort
// order and selection.
#include "ui/frame/mdimain.h"

namespace arbel::ui {

void Tmdimain::clearfilter1Click() {}
void Tmdimain::shdirsClick() {}
void Tmdimain::statsbutClick() {}
void Tmdimain::LargeIcons1Click() {}
void Tmdimain::SmallIcons1Click() {}
void Tmdimain::List1Click() {}
void Tmdimain::Details1Click() {}
void Tmdimain::togglebutClick() {}
void Tmdimain::SortName1Click() {}
void Tmdimain::SortExt1Click() {}
void Tmdimain::SortSize1Click() {}
void Tmdimain::SortFlags1Click() {}
void Tmdimain::SortDate1Click() {}
void Tmdimain::SortReverse1Click() {}
void Tmdimain::SelectAll1Click() {}
void Tmdimain::SelectAllFiles1Click() {}

// Menu opening: enabling and checks of the View menu and its submenus.
void Tmdimain::View1Click() {}
void Tmdimain::Display1Click() {}
void Tmdimain::SortOrder1Click() {}

// Right-button alternates: Select All Files; Folder Size.
void Tmdimain::selectbutRightClick() {}
void Tmdimain::refreshbutRightClick() {}

}  // namespace arbel::ui

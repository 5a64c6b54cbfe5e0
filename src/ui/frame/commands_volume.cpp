// Volume menu commands: copy diskette, label, format, network locations.
#include "ui/frame/mdimain.h"

namespace arbel::ui {

void Tmdimain::copydiskbutClick() {}
void Tmdimain::LabelDisk1Click() {}
void Tmdimain::formatdiskbutClick() {}
void Tmdimain::Sharing1Click() {}
void Tmdimain::mapnetbutClick() {}
void Tmdimain::unmapnetbutClick() {}

// Menu opening: enabling of the Volume menu's items.
void Tmdimain::Volume1Click() {}

// Right-button alternate: locate the disk-copy program.
void Tmdimain::copydiskbutRightClick() {}

}  // namespace arbel::ui

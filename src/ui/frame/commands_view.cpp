// View menu commands: filter, folders-only, folder size, display styles, sort
// order and selection.
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

#include "core/commands/menus.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/folder_size_runner.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_window.h"

namespace arbel::ui {

using commands::Command;
using commands::gateOpen;

namespace {

void chooseStyle(Tmdimain& frame, DisplayStyle style) {
    frame.viewPanel()->setDisplayStyle(style);
    viewbuts(frame);
}

// The sort items in menu order: Name, Ext, Size, Flags (Attribs), Date.
lists::FileInfo sortKeyOfItem(int index) {
    static const lists::FileInfo keys[] = {lists::FileInfo::Name, lists::FileInfo::DosExt,
                                           lists::FileInfo::Size, lists::FileInfo::Attributes,
                                           lists::FileInfo::Modified};
    return keys[index];
}

}  // namespace

void viewbuts(Tmdimain& frame) {
    FileWindow* w = activeFileWindow(frame);
    if (!w) return;
    FrozenUpdates frozen(frame.clientArea());
    w->setDisplayStyle(frame.viewPanel()->displayStyle());
}

void Tmdimain::clearfilter1Click() {
    if (!gateOpen(Command::ClearFilter, commandState(*this))) return;
    viewpan->maskedit->setText(QStringLiteral("*.*"));
    applyFilterBox(*this);
}

void Tmdimain::shdirsClick() {
    FileWindow* w = activeFileWindow(*this);
    if (w) {
        FrozenUpdates frozen(clientArea());
        w->setShowFolders(!w->showFolders());
    }
    // The button is down exactly while folders are listed.
    viewpan->shdirs->setChecked(w ? w->showFolders() : viewpan->shdirs->isChecked());
}

// Folder size (F4, right button on Refresh): counted on a worker thread.
void Tmdimain::statsbutClick() {
    startFolderSize(*this);
}

void Tmdimain::LargeIcons1Click() {
    chooseStyle(*this, DisplayStyle::Large);
}
void Tmdimain::SmallIcons1Click() {
    chooseStyle(*this, DisplayStyle::Small);
}
void Tmdimain::List1Click() {
    chooseStyle(*this, DisplayStyle::List);
}
void Tmdimain::Details1Click() {
    chooseStyle(*this, DisplayStyle::Report);
}

void Tmdimain::togglebutClick() {
    if (!gateOpen(Command::ToggleDisplay, commandState(*this))) return;
    const int next = (static_cast<int>(viewpan->displayStyle()) + 1) % 4;
    chooseStyle(*this, static_cast<DisplayStyle>(next));
}

void Tmdimain::SortName1Click() {
    sortCommand(*this, lists::FileInfo::Name);
}
void Tmdimain::SortExt1Click() {
    sortCommand(*this, lists::FileInfo::DosExt);
}
void Tmdimain::SortSize1Click() {
    sortCommand(*this, lists::FileInfo::Size);
}
void Tmdimain::SortFlags1Click() {
    sortCommand(*this, lists::FileInfo::Attributes);
}
void Tmdimain::SortDate1Click() {
    sortCommand(*this, lists::FileInfo::Modified);
}
void Tmdimain::SortReverse1Click() {
    if (FileWindow* w = commandFileWindow(*this)) w->sortBy(w->sortKey());
}

void Tmdimain::SelectAll1Click() {
    selecting(*this, false);
}
void Tmdimain::SelectAllFiles1Click() {
    selecting(*this, true);
}

// Menu opening: enabling and checks of the View menu and its submenus.
void Tmdimain::View1Click() {
    const commands::ViewMenuState m = commands::viewMenuState(commandState(*this));
    QMenu* view = actions().menu(FrameMenu::View);
    for (QAction* a : view->actions())
        if (!a->isSeparator()) a->setEnabled(m.itemsEnabled);
    actions().action(FrameAction::FilesOnly)->setChecked(m.filesOnlyChecked);
    actions().action(FrameAction::FolderSize)->setEnabled(m.folderSize);
}

void Tmdimain::Display1Click() {
    const FrameAction items[] = {FrameAction::LargeIcons, FrameAction::SmallIcons, FrameAction::List,
                                 FrameAction::Details};
    const int down = static_cast<int>(viewpan->displayStyle());
    for (int i = 0; i < 4; ++i) actions().action(items[i])->setChecked(i == down);
}

// The sort menu and the sort popup check the key of the list they act on.
void Tmdimain::SortOrder1Click() {
    FileWindow* w = commandFileWindow(*this);
    const FrameAction items[] = {FrameAction::SortName, FrameAction::SortExt, FrameAction::SortSize,
                                 FrameAction::SortFlags, FrameAction::SortDate};
    int i = 0;
    for (QAction* a : viewpan->PopupMenu1->actions()) {
        if (a->isSeparator() || !a->isCheckable()) continue;
        a->setChecked(w && w->sortKey() == sortKeyOfItem(i));
        ++i;
    }
    for (int k = 0; k < 5; ++k) {
        actions().action(items[k])->setChecked(w && w->sortKey() == sortKeyOfItem(k));
    }
}

// Right-button alternates: Select All Files; Folder Size.
void Tmdimain::selectbutRightClick() {
    selecting(*this, true);
}
void Tmdimain::refreshbutRightClick() {
    statsbutClick();
}

}  // namespace arbel::ui

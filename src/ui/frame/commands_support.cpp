#include "ui/frame/commands_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QToolButton>
#include <QTreeView>

#include "core/launch/launch.h"
#include "core/lists/desktop_entry.h"
#include "core/tree/dir_tree.h"
#include "ui/app/child_window.h"
#include "ui/app/command_targets.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/ops/undo_journal.h"
#include "ui/search/findform.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

CommandHooks& commandHooks() {
    static CommandHooks hooks;
    return hooks;
}

FileWindow* commandFileWindow(const Tmdimain& frame) {
    const app::ActiveKind kind =
        frame.state().activeKind == app::ActiveKind::Auto ? app::ActiveKind::Auto : app::ActiveKind::List;
    return qobject_cast<FileWindow*>(frame.currentOf(kind));
}

FileWindow* activeFileWindow(const Tmdimain& frame) {
    const app::ActiveKind kind = frame.state().activeKind;
    if (kind != app::ActiveKind::Auto && kind != app::ActiveKind::List) return nullptr;
    return qobject_cast<FileWindow*>(frame.currentOf(kind));
}

Tmdisubdir* treeTarget(const Tmdimain& frame) {
    return qobject_cast<Tmdisubdir*>(frame.currentOf(app::ActiveKind::Dir));
}

Tfindform* searchWindow(const Tmdimain& frame) {
    return qobject_cast<Tfindform*>(frame.openDialog(app::DialogTag::FindForm));
}

commands::CommandState commandState(const Tmdimain& frame) {
    commands::CommandState s = commands::snapshotOf(frame.state());
    if (Tfindform* search = searchWindow(frame)) {
        s.searchSelected = static_cast<int>(search->selectedPaths().size());
        s.searchResultsFocused = search->resultsView && search->resultsView->hasFocus();
    }
    if (Tmdisubdir* tree = treeTarget(frame)) {
        s.treeHasSelection = !tree->selectedFolder().empty();
        const tree::TreeNode* node = tree->DirTree1().selected();
        s.treeAtVolumeRoot = s.treeHasSelection && node && node->isVolume();
    }
    if (FileWindow* w = activeFileWindow(frame)) {
        const std::vector<std::string> names = w->selectedNames();
        s.listSelected = static_cast<int>(names.size());
        s.singleSelectedIsDesktopEntry = names.size() == 1 && lists::isDesktopEntryName(names.front());
        s.listShowsFolders = w->showFolders();
    }
    if (ViewPanel* panel = frame.viewPanel()) s.filterFieldFocused = panel->maskedit->hasFocus();
    s.canUndo = undoAvailable(frame);
    return s;
}

commands::OpenInputs openInputs(const Tmdimain& frame) {
    commands::OpenInputs in;
    if (Tmdisubdir* tree = treeTarget(frame)) in.treeFolder = tree->selectedFolder();
    if (FileWindow* w = activeFileWindow(frame)) {
        in.listFolder = w->shownFolder();
        const std::vector<std::string> names = w->selectedNames();
        if (!names.empty()) in.firstSelectedName = names.front();
    }
    if (Tfindform* search = searchWindow(frame)) {
        in.searchResultPath = search->focusedPath();
        const std::vector<std::string> paths = search->selectedPaths();
        if (in.searchResultPath.empty() && !paths.empty()) in.searchResultPath = paths.front();
    }
    return in;
}

commands::FileQueries commandQueries() {
    return commands::diskQueries();
}

ChildWindow* openFolderWindowQuietly(Tmdimain& frame, const std::string& folder) {
    app::AppState& st = frame.state();
    ChildWindow* window = nullptr;
    {
        const app::QuietActivation was = st.quietActivation;
        st.quietActivation = app::QuietActivation::Yes;
        window = openFolderWindow(frame, folder);
        st.quietActivation = was;
    }
    if (!window) return nullptr;
    QPointer<ChildWindow> guard(window);
    frame.activateChild(window);
    if (!st.startupPhase) treeSelectFolder(frame, folder);
    return guard;
}

void treeSelectFolder(Tmdimain& frame, const std::string& folder) {
    Tmdisubdir* tree = treeTarget(frame);
    if (!tree) return;
    // Usually the tree holds the folder already (it was opened from there); reading
    // the path again would wait on a mount that has stopped answering.
    if (!tree->DirTree1().selectLoaded(folder)) (void)tree->DirTree1().GoToDir(folder);
}

void treeFolderRenamed(Tmdimain& frame, const std::string& oldPath, const std::string& newName) {
    if (Tmdisubdir* tree = treeTarget(frame)) (void)tree->DirTree1().RenameDir(oldPath, newName);
}

bool openDocument(QWidget* parent, const std::string& pathOrUri) {
    if (auto& open = commandHooks().openDocument) return open(pathOrUri);
    const launch::Launched started = launch::openItem(pathOrUri);
    if (!started.ok()) showMessage(parent, displayPath(started.message), QMessageBox::Warning);
    return started.ok();
}

void confirmDialog(QWidget* dialog) {
    if (!dialog) return;
    if (dialog->metaObject()->indexOfSlot("confirm()") >= 0) {
        QMetaObject::invokeMethod(dialog, "confirm");
    } else if (auto* d = qobject_cast<QDialog*>(dialog)) {
        d->accept();
    }
}

void selecting(Tmdimain& frame, bool filesOnly) {
    FileWindow* w = activeFileWindow(frame);
    if (!w) return;
    // Only ever adds to the selection: a folder the user selected stays selected
    // when the files are added to it. Contiguous runs keep big lists cheap.
    TFileList& model = w->fileList();
    const int rows = model.rowCount();
    const int lastColumn = model.columnCount() - 1;
    QItemSelection sel;
    int runStart = -1;
    for (int r = 0; r <= rows; ++r) {
        const bool take =
            r < rows && (!filesOnly || !model.data(model.index(r, 0), TFileList::IsFolderRole).toBool());
        if (take && runStart < 0) runStart = r;
        if (!take && runStart >= 0) {
            sel.select(model.index(runStart, 0), model.index(r - 1, lastColumn));
            runStart = -1;
        }
    }
    if (!sel.isEmpty()) w->listView().selectionModel()->select(sel, QItemSelectionModel::Select);
    w->bytecount();
}

void sortCommand(Tmdimain& frame, lists::FileInfo key) {
    if (FileWindow* w = commandFileWindow(frame)) w->sortBy(key);
}

namespace {

// While a menu is shown its items follow the rules of the moment; once it closes
// they are enabled again, so a shortcut always reaches its handler and the gate
// decides then, not a state left over from the last time the menu opened.
void enableAgainOnClose(QMenu* menu) {
    QObject::connect(menu, &QMenu::aboutToHide, menu, [menu] {
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->objectName() != QLatin1String("Selected Branch")) a->setEnabled(true);
    });
}

}  // namespace

void wireCommandControls(Tmdimain& frame) {
    FrameActions& actions = frame.actions();
    for (FrameMenu m :
         {FrameMenu::File, FrameMenu::Open, FrameMenu::View, FrameMenu::Volume, FrameMenu::Window})
        enableAgainOnClose(actions.menu(m));
    enableAgainOnClose(actions.saveToFileMenu());

    // The sort items show the current key with a check mark.
    for (FrameAction a : {FrameAction::SortName, FrameAction::SortExt, FrameAction::SortSize,
                          FrameAction::SortFlags, FrameAction::SortDate})
        actions.action(a)->setCheckable(true);
    for (FrameAction a :
         {FrameAction::LargeIcons, FrameAction::SmallIcons, FrameAction::List, FrameAction::Details})
        actions.action(a)->setCheckable(true);

    ViewPanel* panel = frame.viewPanel();
    Tmdimain* f = &frame;
    QObject::connect(panel->shdirs, &QToolButton::clicked, f, &Tmdimain::shdirsClick);
    QObject::connect(panel, &ViewPanel::displayStyleChosen, f, [f](DisplayStyle) { viewbuts(*f); });
    // A choice from the drop-down list applies at once; typed text on Enter.
    QObject::connect(panel->maskbox, &QComboBox::activated, f, [f](int) { applyFilterBox(*f); });

    // The sort popup: Name, Ext, Size, Attribs, Date, -, Reverse.
    QMenu* popup = panel->PopupMenu1;
    QObject::connect(popup, &QMenu::aboutToShow, f, &Tmdimain::SortOrder1Click);
    const lists::FileInfo keys[] = {lists::FileInfo::Name, lists::FileInfo::DosExt, lists::FileInfo::Size,
                                    lists::FileInfo::Attributes, lists::FileInfo::Modified};
    int i = 0;
    for (QAction* a : popup->actions()) {
        if (a->isSeparator()) continue;
        if (i < 5) {
            a->setCheckable(true);
            const lists::FileInfo key = keys[i++];
            QObject::connect(a, &QAction::triggered, f, [f, key] { sortCommand(*f, key); });
        } else {
            QObject::connect(a, &QAction::triggered, f, &Tmdimain::SortReverse1Click);
        }
    }

    loadFilterBox(frame);
}

}  // namespace arbel::ui

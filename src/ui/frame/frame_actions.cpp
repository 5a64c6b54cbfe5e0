#include "ui/frame/frame_actions.h"

#include <QMenuBar>

#include "ui/frame/mdimain.h"
#include "ui/frame/menu_letters.h"
#include "ui/frame/typed_keys.h"

namespace arbel::ui {

namespace {

QKeySequence keys(int combined) {
    return QKeySequence(combined);
}

}  // namespace

FrameActions::FrameActions(Tmdimain& frame) {
    QMenuBar* bar = frame.menuBar();

    // One item: caption, shortcut, handler. A hidden item is not put into any
    // menu but still answers its shortcut (the frame carries it).
    auto item = [&](FrameAction id, QMenu* menu, const char* caption, QKeySequence shortcut,
                    void (Tmdimain::*handler)(), bool hidden = false) {
        auto* a = new QAction(QString::fromLatin1(caption), &frame);
        a->setObjectName(QString::fromLatin1(caption).remove('&').trimmed());
        if (!shortcut.isEmpty()) bindTypedKeys(a, shortcut[0]);
        if (handler) QObject::connect(a, &QAction::triggered, &frame, handler);
        frame.addAction(a);  // shortcuts work whether or not the item is shown
        if (!hidden && menu) menu->addAction(a);
        actions_[static_cast<int>(id)] = a;
        return a;
    };
    auto submenu = [&](FrameAction id, QMenu* parent, const char* caption) {
        QMenu* sub = parent->addMenu(QString::fromLatin1(caption));
        actions_[static_cast<int>(id)] = sub->menuAction();
        return sub;
    };
    auto topMenu = [&](FrameMenu id, const char* caption, void (Tmdimain::*opening)()) {
        QMenu* m = bar->addMenu(QString::fromLatin1(caption));
        m->setObjectName(QString::fromLatin1(caption).remove('&'));
        if (opening) QObject::connect(m, &QMenu::aboutToShow, &frame, opening);
        menus_[static_cast<int>(id)] = m;
        return m;
    };
    using K = Qt::Key;
    const int C = Qt::CTRL, S = Qt::SHIFT;

    QMenu* file = topMenu(FrameMenu::File, "&File", &Tmdimain::File1Click);
    item(FrameAction::Copy, file, "&Copy...", keys(C | K::Key_C), &Tmdimain::copybutClick);
    item(FrameAction::Move, file, "&Move...", keys(C | K::Key_M), &Tmdimain::movebutClick);
    item(FrameAction::Shortcut, file, "Sh&ortcut...", {}, &Tmdimain::shortcutbutClick);
    item(FrameAction::Delete, file, "&Delete...", keys(K::Key_Delete), &Tmdimain::delbutClick);
    item(FrameAction::Rename, file, "Re&name...", keys(C | K::Key_R), &Tmdimain::renamebutClick);
    changeCase_ = submenu(FrameAction::ChangeCaseMenu, file, "C&hange Case");
    item(FrameAction::Lowercase, changeCase_, "Lower", keys(C | S | K::Key_L), &Tmdimain::Lowercase1Click);
    item(FrameAction::Uppercase, changeCase_, "Upper", keys(C | S | K::Key_U), &Tmdimain::Uppercase1Click);
    item(FrameAction::SentenceCase, changeCase_, "Sentence", keys(C | S | K::Key_S),
         &Tmdimain::SentenceCase1Click);
    item(FrameAction::TitleCase, changeCase_, "Title", keys(C | S | K::Key_T), &Tmdimain::TitleCase1Click);
    item(FrameAction::ChangeAttributes, file, "Change &Attributes...", keys(C | K::Key_A),
         &Tmdimain::attribbutClick);
    item(FrameAction::Properties, file, "     Properties", keys(C | S | K::Key_A),
         &Tmdimain::Properties1Click, true);
    item(FrameAction::ShortcutProperties, file, "Shortcut Properties...", {}, &Tmdimain::Shortcut2Click)
        ->setVisible(false);
    item(FrameAction::NewFolder, file, "New &Folder...", keys(C | K::Key_N), &Tmdimain::newdirClick);
    item(FrameAction::Search, file, "&Search...", keys(C | K::Key_S), &Tmdimain::findbutClick);
    item(FrameAction::Edit, file, "&Edit", keys(C | K::Key_E), &Tmdimain::editbutClick);
    item(FrameAction::Run, file, "&Run...", {}, &Tmdimain::Run1Click);
    item(FrameAction::Associate, file, "A&ssociate...", {}, &Tmdimain::Associate1Click);
    file->addSeparator();
    item(FrameAction::Undo, file, "&Undo", keys(C | K::Key_Z), &Tmdimain::Undo1Click);
    item(FrameAction::UndoHistory, file, "Undo H&istory...", {}, &Tmdimain::UndoHistory1Click);
    file->addSeparator();
    item(FrameAction::Exit, file, "E&xit", {}, &Tmdimain::Exit1Click);

    QMenu* volume = topMenu(FrameMenu::Volume, "&Volume", &Tmdimain::Volume1Click);
    item(FrameAction::CopyDiskette, volume, "&Copy Diskette...", {}, &Tmdimain::copydiskbutClick);
    item(FrameAction::LabelDisk, volume, "&Label Disk...", {}, &Tmdimain::LabelDisk1Click);
    item(FrameAction::FormatDisk, volume, "&Format Disk...", {}, &Tmdimain::formatdiskbutClick);
    volume->addSeparator();
    item(FrameAction::Sharing, volume, "&Sharing...", {}, &Tmdimain::Sharing1Click, true);
    item(FrameAction::MapNetworkDrive, volume, "&Map Network Drive..", {}, &Tmdimain::mapnetbutClick);
    item(FrameAction::DisconnectNetworkDrive, volume, "&Disconnect Network Drive...", {},
         &Tmdimain::unmapnetbutClick);

    QMenu* open = topMenu(FrameMenu::Open, "&Open", &Tmdimain::Open1Click);
    item(FrameAction::SelectedItem, open, "&Selected Item", keys(K::Key_Return), &Tmdimain::Selected1Click);
    item(FrameAction::SelectedBranch, open, "Selected &Branch", keys(C | K::Key_B), nullptr, true)
        ->setEnabled(false);
    item(FrameAction::Tree, open, "&Tree", keys(K::Key_F2), nullptr, true);
    item(FrameAction::TreeAs, open, "Tr&ee As...", keys(C | K::Key_F2), nullptr, true);
    item(FrameAction::Folder, open, "F&older", keys(C | K::Key_D), &Tmdimain::Directory1Click);
    item(FrameAction::FolderAs, open, "Fol&der As...", keys(C | K::Key_F3), &Tmdimain::DirectoryAs1Click);
    item(FrameAction::AutoFolder, open, "&Auto Folder", keys(K::Key_F3), &Tmdimain::AutoDirectory1Click);
    item(FrameAction::FileViewer, open, "&File Viewer", keys(C | K::Key_V), &Tmdimain::View2Click);
    item(FrameAction::AutoFileViewer, open, "Auto File &Viewer", keys(K::Key_F7), &Tmdimain::AutoView1Click);
    // Enter on the keypad opens the selected item as well.
    actions_[static_cast<int>(FrameAction::SelectedItem)]->setShortcuts(
        {keys(K::Key_Return), keys(K::Key_Enter)});

    QMenu* view = topMenu(FrameMenu::View, "&View", &Tmdimain::View1Click);
    item(FrameAction::ClearFilter, view, "   clearfilter", keys(K::Key_F9), &Tmdimain::clearfilter1Click,
         true);
    item(FrameAction::FilesOnly, view, "Files &Only", keys(C | K::Key_F), &Tmdimain::shdirsClick)
        ->setCheckable(true);
    item(FrameAction::FolderSize, view, "&Folder Size", keys(K::Key_F4), &Tmdimain::statsbutClick);
    display_ = submenu(FrameAction::DisplayMenu, view, "&Display");
    QObject::connect(display_, &QMenu::aboutToShow, &frame, &Tmdimain::Display1Click);
    item(FrameAction::LargeIcons, display_, "&Large Icons", {}, &Tmdimain::LargeIcons1Click);
    item(FrameAction::SmallIcons, display_, "&Small Icons", {}, &Tmdimain::SmallIcons1Click);
    item(FrameAction::List, display_, "L&ist", {}, &Tmdimain::List1Click);
    item(FrameAction::Details, display_, "&Details", {}, &Tmdimain::Details1Click);
    item(FrameAction::ToggleDisplay, view, "   &Toggle Display", keys(C | K::Key_T),
         &Tmdimain::togglebutClick);
    sort_ = submenu(FrameAction::SortMenu, view, "S&ort by");
    QObject::connect(sort_, &QMenu::aboutToShow, &frame, &Tmdimain::SortOrder1Click);
    item(FrameAction::SortName, sort_, "Name", {}, &Tmdimain::SortName1Click);
    item(FrameAction::SortExt, sort_, "Ext", {}, &Tmdimain::SortExt1Click);
    item(FrameAction::SortSize, sort_, "Size", {}, &Tmdimain::SortSize1Click);
    item(FrameAction::SortFlags, sort_, "Flags", {}, &Tmdimain::SortFlags1Click);
    item(FrameAction::SortDate, sort_, "Date", {}, &Tmdimain::SortDate1Click);
    sort_->addSeparator();
    item(FrameAction::SortReverse, sort_, "Reverse", {}, &Tmdimain::SortReverse1Click);
    view->addSeparator();
    item(FrameAction::SelectAll, view, "Select &All", keys(C | K::Key_Slash), &Tmdimain::SelectAll1Click);
    item(FrameAction::SelectAllFiles, view, "&Select All Files", keys(S | K::Key_Slash),
         &Tmdimain::SelectAllFiles1Click);
    item(FrameAction::SelectDeselect, view, "Se&lect/Deselect...", keys(C | S | K::Key_Slash), nullptr, true);

    // Shown on Linux: it is the one reachable place of "Restore Default
    // Configuration"; the two items without a command stay disabled.
    QMenu* options = topMenu(FrameMenu::Options, "O&ptions", nullptr);
    item(FrameAction::Next, options, "    next", keys(C | K::Key_Tab), &Tmdimain::next1Click, true);
    item(FrameAction::Previous, options, "    previous", keys(C | S | K::Key_Tab), &Tmdimain::previous1Click,
         true);
    item(FrameAction::SetOptions, options, "&Set Options...", keys(C | K::Key_F10), nullptr)
        ->setEnabled(false);
    item(FrameAction::SaveCurrentConfiguration, options, "Save &Current Configuration", {}, nullptr)
        ->setEnabled(false);
    item(FrameAction::RestoreDefaultConfiguration, options, "Restore &Default Configuration", {},
         &Tmdimain::DefaultConfiguration1Click);

    QMenu* window = topMenu(FrameMenu::Window, "&Window", &Tmdimain::Window1Click);
    item(FrameAction::ArrangeAll, window, "&Arrange All", keys(K::Key_F6), &Tmdimain::Organize1Click);
    item(FrameAction::Refresh, window, "&Refresh", keys(K::Key_F5), &Tmdimain::refreshbutClick);
    saveToFile_ = submenu(FrameAction::SaveToFileMenu, window, "&Save to File");
    item(FrameAction::SaveSelected, saveToFile_, "&Selected Branch", {}, &Tmdimain::oneClick);
    item(FrameAction::SaveEntire, saveToFile_, "&Entire Window", {}, &Tmdimain::twoClick);
    item(FrameAction::Close, window, "&Close", keys(C | K::Key_F4), &Tmdimain::Close1Click);
    windowListStart_ = window->addSeparator();
    windowListEnd_ = window->addSeparator();
    item(FrameAction::FrameSaveSettings, window, "Save Settings", {}, &Tmdimain::SaveSettings1Click);
    item(FrameAction::FrameRestoreDefault, window, "Restore Default", {}, &Tmdimain::RestoreDefault1Click);

    QMenu* help = topMenu(FrameMenu::Help, "&Help", nullptr);
    item(FrameAction::Contents, help, "&Contents", keys(K::Key_F1), &Tmdimain::Contents1Click);
    item(FrameAction::ScreenMap, help, "&Screen Map", {}, &Tmdimain::ScreenMap1Click);
    help->addSeparator();
    item(FrameAction::About, help, "&About", {}, &Tmdimain::About1Click);

    auto* exit = new QAction(QStringLiteral("E&xit"), &frame);
    exit->setObjectName(QStringLiteral("MenuBarExit"));
    QObject::connect(exit, &QAction::triggered, &frame, &Tmdimain::Exit1Click);
    bar->addAction(exit);
    actions_[static_cast<int>(FrameAction::MenuBarExit)] = exit;
    // "S&ort by" shares its letter with "Files &Only".
    for (QMenu* m : menus_) cycleSharedLetters(m);
}

}  // namespace arbel::ui

#pragma once
// The frame: Arbel's one top-level window. It owns the shared state, the window
// registry and the settings file, holds the tool bar with the view panel, the
// menu bar, the status line and the client area (a QMdiArea) where every child
// window lives, and routes every command. Handlers keep their historic names and
// live in commands_*.cpp by menu; this file's .cpp holds start, stop and the
// registry glue.

#include <QList>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/app/app_state.h"
#include "core/app/window_registry.h"
#include "core/commands/command_id.h"
#include "core/config/ini_file.h"

class QLabel;
class QMdiSubWindow;
class QLineEdit;

namespace arbel::ui {

class ChildWindow;
class FrameActions;
class FrameToolBar;
class ViewPanel;
class HelpWindow;

struct FrameOptions {
    // The settings file; empty: "Arbelwin.cfg" where configPath() puts it for
    // the program's folder.
    std::string configPath;
    // Create the start-up windows (tree, auto folder) on the first tick. Tests
    // of the frame alone turn it off.
    bool startupWindows = true;
};

class Tmdimain : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmdimain(FrameOptions options = {}, QWidget* parent = nullptr);
    ~Tmdimain() override;

    // The frame of the running program (the last one created), or null.
    static Tmdimain* instance();

    // ---- shared pieces ----
    app::AppState& state() { return state_; }
    const app::AppState& state() const { return state_; }
    app::WindowRegistry& registry() { return registry_; }
    const app::WindowRegistry& registry() const { return registry_; }
    config::IniFile& config() { return *config_; }
    QMdiArea* clientArea() const { return ScrollBox1; }
    FrameActions& actions() const { return *actions_; }
    // Runs the command of that id through the frame's action table, as its menu
    // item or shortcut would (the context menus of the tree and windows do this).
    void runCommand(commands::Command id);
    FrameToolBar* toolBar() const { return ashpan; }
    ViewPanel* viewPanel() const { return viewpan; }
    QLabel* statusPanel() const { return statuspanel; }
    void setStatusText(const QString& text);
    // True from construction until the deferred start has run.
    bool startupPending() const { return Timer1.isActive(); }

    // ---- child windows (the registry glue) ----
    ChildWindow* child(app::WindowId id) const;
    QList<ChildWindow*> children() const;  // creation order
    ChildWindow* activeChild() const;      // last in activation order
    // The current window of a kind (mdisubdir, autodirview,
    // mdisublist, mdiview): the one of that kind activated last.
    ChildWindow* currentOf(app::ActiveKind kind) const;
    void setCurrentOf(app::ActiveKind kind, ChildWindow* window);
    // The auto viewer, when it exists.
    ChildWindow* autoViewer() const;
    // Makes the window the active child and runs its ActivateForm.
    void activateChild(ChildWindow* window);
    // Folder and auto-folder windows showing exactly this folder.
    QList<ChildWindow*> windowsShowingFolder(const std::string& folder) const;
    // Windows showing the path or something below it.
    QList<ChildWindow*> windowsAtOrBelow(const std::string& path) const;
    // Refreshes every folder and auto-folder window that shows the folder with
    // the "delupdate" mode, without activating any of them.
    void cappything(const std::string& folder);
    // Renews the Window menu's window entries (numbers, captions, check mark).
    void rebuildWindowMenu();

    // ---- focus and dialogs ----
    // Gives the keyboard focus to the active child's main control.
    void findme();
    // Gives the focus to the open dialog's main control.
    void finddlog();
    // Re-activates the search window or the window of ActiveKind after a dialog closed.
    void dlgback();
    // A modeless dialog (or the search window, DialogTag::FindForm) opened:
    // sets ActiveDialog (and FromSearch for the search window) and remembers
    // the control finddlog() focuses.
    void dialogOpened(app::DialogTag tag, QWidget* dialog, QWidget* focusTarget);
    void setDialogFocusTarget(app::DialogTag tag, QWidget* focusTarget);
    // The dialog closed: ActiveDialog is cleared, or set back to FindForm while
    // the search window stays open; then dlgback().
    void dialogClosed(app::DialogTag tag);
    QWidget* openDialog(app::DialogTag tag) const;
    // The search window's result list: findme() focuses it while FromSearch is
    // set (finddlog() focuses the search window's own focus target).
    void setSearchResults(QWidget* resultList) { searchResults_ = resultList; }

    // ---- placement ----
    void dimem();  // tree active: show the disabled copy of the view controls
    void onem();   // file window active: show the live view controls
    HelpWindow* helpWindow();

    // The deferred-start hook: creates the windows the program starts with.
    // Lives in startup.cpp.
    void createStartupWindows();

public slots:
    // File
    void copybutClick();
    void movebutClick();
    // Copy and Move with the target folder handed in (a drop's folder; empty: none).
    void copyItemsTo(const std::string& target);
    void moveItemsTo(const std::string& target);
    void shortcutbutClick();
    void delbutClick();
    void renamebutClick();
    void Lowercase1Click();
    void Uppercase1Click();
    void SentenceCase1Click();
    void TitleCase1Click();
    void attribbutClick();
    void Properties1Click();
    void Shortcut2Click();
    void newdirClick();
    void findbutClick();
    void editbutClick();
    void Run1Click();
    void Associate1Click();
    void Undo1Click();
    void UndoHistory1Click();
    void Exit1Click();
    // Volume
    void copydiskbutClick();
    void LabelDisk1Click();
    void formatdiskbutClick();
    void Sharing1Click();
    void mapnetbutClick();
    void unmapnetbutClick();
    // Open
    void Selected1Click();
    void Directory1Click();
    void DirectoryAs1Click();
    void AutoDirectory1Click();
    void View2Click();
    void AutoView1Click();
    // View
    void clearfilter1Click();
    void shdirsClick();
    void statsbutClick();
    void LargeIcons1Click();
    void SmallIcons1Click();
    void List1Click();
    void Details1Click();
    void togglebutClick();
    void SortName1Click();
    void SortExt1Click();
    void SortSize1Click();
    void SortFlags1Click();
    void SortDate1Click();
    void SortReverse1Click();
    void SelectAll1Click();
    void SelectAllFiles1Click();
    // Options
    void next1Click();
    void previous1Click();
    void DefaultConfiguration1Click();
    // Window
    void Organize1Click();
    void refreshbutClick();
    void oneClick();
    void twoClick();
    void Close1Click();
    void windClick(std::size_t number);  // Window menu entry number (1-based)
    void SaveSettings1Click();           // the frame's own "Save Settings"
    void RestoreDefault1Click();         // the frame's own "Restore Default"
    // Help
    void Contents1Click();
    void ScreenMap1Click();
    void About1Click();
    // Menus opening
    void File1Click();
    void Volume1Click();
    void Open1Click();
    void View1Click();
    void Window1Click();
    void Display1Click();
    void SortOrder1Click();
    // Right-button alternates of the tool bar
    void ashpanMouseDown(Qt::MouseButton button);
    void autodirbutRightClick();
    void findbutRightClick();
    void refreshbutRightClick();
    void editbutRightClick();
    void copydiskbutRightClick();
    void attribbutRightClick();
    void SpeedButton2RightClick();
    void selectbutRightClick();

    // Ctrl+Tab / Ctrl+Shift+Tab and the tool-bar background.
    void switcher(app::SwitchDirection direction);
    // The deferred start, one tick after the frame is shown.
    void Timer1Timer();

signals:
    // The deferred start has run: the start-up windows exist and the tree is active.
    void startupFinished();

protected:
    void closeEvent(QCloseEvent* event) override;  // FormCloseQuery
    // Presses on the empty client area (ScrollBox1MouseDown).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class ChildWindow;
    // Registry side of the child-window protocol (called by ChildWindow).
    void childCreated(ChildWindow* window);
    void childClosed(ChildWindow* window);
    void childDestroyed(ChildWindow* window);
    void onSubWindowActivated(QMdiSubWindow* window);
    void applyStartPlacement();

    FrameOptions options_;
    app::AppState state_;
    app::WindowRegistry registry_;
    std::unique_ptr<config::IniFile> config_;
    std::map<app::WindowId, QPointer<ChildWindow>> windows_;
    std::map<app::ActiveKind, QPointer<ChildWindow>> current_;
    struct OpenDialog {
        QPointer<QWidget> dialog;
        QPointer<QWidget> focusTarget;
    };
    std::map<app::DialogTag, OpenDialog> dialogs_;
    bool activating_ = false;    // our own activation is running
    bool closingChild_ = false;  // a child is closing: the area's own pick is ignored
    bool shuttingDown_ = false;  // the frame is being destroyed
    QList<QAction*> windowEntries_;
    QPointer<QWidget> searchResults_;

    // Controls under their historic names.
    QMdiArea* ScrollBox1 = nullptr;
    FrameToolBar* ashpan = nullptr;
    ViewPanel* viewpan = nullptr;
    QLabel* statuspanel = nullptr;
    QLineEdit* Edit3 = nullptr;  // takes the focus when no child should have it
    QTimer Timer1;
    std::unique_ptr<FrameActions> actions_;
    QPointer<HelpWindow> help_;
};

}  // namespace arbel::ui

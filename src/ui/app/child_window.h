#pragma once
// The base of every child window inside the frame (tree, folder, auto-folder
// and viewer windows). It carries the window's kind and the path it shows as
// bytes, registers itself with the frame's window registry, runs the activation
// work (ActivateForm), offers "Save Settings"/"Restore Default" (or "Save
// Location") in its system menu, and leaves the registry when it closes.
//
// A subclass builds its widgets, sets the path, then calls finishCreation() as
// the last step of its constructor.

#include <QMdiSubWindow>
#include <QPointer>
#include <string>

#include "core/app/app_state.h"
#include "core/app/placement.h"
#include "core/app/window_registry.h"

class QMenu;

namespace arbel::ui {

class Tmdimain;
class ViewPanel;

// System-menu command identifiers, as the settings commands have always used.
enum SystemCommand : int {
    kFrameSaveSettings = 99,
    kFrameRestoreDefault = 100,
    kTreeSaveSettings = 101,
    kTreeRestoreDefault = 102,
    kAutoSaveSettings = 103,
    kAutoRestoreDefault = 104,
    kListSaveSettings = 105,
    kListRestoreDefault = 106,
    kViewerSaveLocation = 107,
    kViewerRestoreDefault = 108,
};

class ChildWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    ChildWindow(Tmdimain& frame, app::ActiveKind kind);
    ~ChildWindow() override;

    Tmdimain& frame() const { return frame_; }
    app::WindowId windowId() const { return id_; }
    app::ActiveKind kind() const { return kind_; }

    // The folder or file the window shows, as bytes. Setting it renews the
    // caption and the Window menu entry.
    const std::string& shownPath() const { return path_; }
    void setShownPath(std::string path);
    bool isAutoViewer() const { return autoViewer_; }
    void setAutoViewer(bool on);
    // The caption text; by default derived from kind and path ("Auto: " + path
    // for the auto-folder window). The tree window overrides it.
    virtual QString captionText() const;
    // Call after a change that captionText() depends on.
    void updateCaption();

    // The activation work: moves the window to the end of the activation order,
    // makes it the current window of its kind and ActiveKind, gives the focus to
    // its main control (unless QuietActivation) and syncs the view panel. A
    // subclass overriding it calls the base first, or documents why not.
    virtual void ActivateForm();
    // The control findme() gives the focus to (the tree, the file list).
    virtual QWidget* mainControl() const;
    // Re-read what the window shows with the given mode (cappything and Refresh).
    // `folder`, when given, is the folder the window is to show from now on
    // (the parent after its own folder went, the tree's folder for the auto
    // window); kinds that show no folder ignore it.
    virtual void refreshWindow(app::RefreshSignal mode, const std::string& folder = {});
    // Step 6 of the activation: set the view panel from this window's list.
    virtual void syncViewControls(ViewPanel& panel);

    // What "Save Settings" stores besides the placement (style, folders, dirload).
    virtual app::ChildExtras settingsExtras() const { return {}; }
    // The system-menu commands; the defaults store/clear this kind's keys.
    virtual void saveSettings();
    virtual void restoreDefault();

    // Appends to the system menu a separator when caption is "-", otherwise an
    // item that runs systemCommand(id).
    QAction* AppendToSystemMenu(const QString& caption, int id);
    virtual void systemCommand(int id);

    // The placement of this window in the client area, for the settings keys.
    app::Rect placementRect() const;

protected:
    // Registers with the frame, takes the stored or default placement (or
    // maximised), adds the system-menu items of the kind, shows the window and
    // activates it. Call once, at the end of the subclass constructor.
    void finishCreation();
    void closeEvent(QCloseEvent* event) override;
    // Called when a close is accepted, before the window leaves the registry,
    // unless the program is closing (ViewerMode::Closing): close-time work.
    virtual void closingWork() {}

private:
    friend class Tmdimain;
    Tmdimain& frame_;
    const app::ActiveKind kind_;
    const app::WindowId id_;
    std::string path_;
    bool autoViewer_ = false;
    bool registered_ = false;
};

}  // namespace arbel::ui

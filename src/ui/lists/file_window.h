#pragma once
// What the folder window (Tmdisublist) and the auto-folder window
// (Tautodirview) share: the file list with its four styles, the status lines,
// the up button, the header labels, the context menus with the right-button
// timer, and the refresh modes. Reads run on a worker; Escape stops them.

#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <string>
#include <vector>

#include "core/app/app_state.h"
#include "core/config/settings.h"
#include "core/lists/file_entry.h"
#include "ui/app/child_window.h"

class QFrame;
class QLabel;
class QMenu;
class QToolButton;

namespace arbel::ui {

class TFileList;
class TFileListView;
enum class DisplayStyle;

class FileWindow : public ChildWindow {
    Q_OBJECT
public:
    FileWindow(Tmdimain& frame, app::ActiveKind kind);
    ~FileWindow() override;

    // ---- what the frame's commands use ----
    const std::string& shownFolder() const { return shownPath(); }
    DisplayStyle displayStyle() const;
    void setDisplayStyle(DisplayStyle style);
    // Sort command or header click: another key sorts ascending, the same key
    // reverses. Re-sorts without reading.
    void sortBy(lists::FileInfo key);
    lists::FileInfo sortKey() const;
    bool sortReversed() const;
    // The file filter ("*.txt;*.doc"); rereads the list. Returns false when
    // the filter was already this one (nothing done).
    bool setFilter(const std::string& mask);
    std::string filter() const;
    // Show or hide folders in the list (the folder flag); rereads.
    void setShowFolders(bool on);
    bool showFolders() const;
    // Select all entries, or only files (never deselects anything).
    void selectAll(bool filesOnly);
    // Selects the entries with these names (bytes) in place of the selection,
    // once the running read is in; the first becomes the current entry and is
    // scrolled into view. Names not in the list are passed over.
    void selectNames(std::vector<std::string> names);
    // Full paths of the selected entries, in list order (bytes).
    std::vector<std::string> selectedPaths() const;
    std::vector<std::string> selectedNames() const;
    // The `update` refresh: reads again (empty mode, "yes",
    // "delupdate", "deletes", "format" on `folder`) or only
    // recomputes the status ("rename", "captionupdate", ...).
    void refresh(app::RefreshSignal mode, const std::string& folder = {}) { refreshWindow(mode, folder); }
    // Writes a counted folder size into the size cell of that entry.
    void setFolderSize(const std::string& path, uint64_t bytes);
    // Stops a running read (Escape).
    void stopReading();
    bool reading() const;

    TFileList& fileList() const { return *model_; }
    TFileListView& listView() const { return *FileList1; }

    // The status texts as shown (tests and the frame's status line).
    QString statusText() const;     // extlabel
    QString freeSpaceText() const;  // Label2
    QString selectionText() const { return selectString_; }
    QString maskCaption() const;  // Panel1's caption

    // ChildWindow
    QWidget* mainControl() const override;
    void refreshWindow(app::RefreshSignal mode, const std::string& folder = {}) override;
    void syncViewControls(ViewPanel& panel) override;
    app::ChildExtras settingsExtras() const override;
    void ActivateForm() override;

    // Event handlers.
    void bytecount();
    void BitBtn1Click();  // up one level
    // A right-button drag that started in another window ended over this one: the
    // Copy/Move menu for the folder entry under the point, else this window's folder.
    void rightDragEndedAt(const QPoint& globalPos);
    void Panel1DblClick();  // mask reset

signals:
    // A read finished (tests wait on it).
    void listRead();
    // A left click while a dialog is open offers it a folder: the selected
    // entry when it is a folder, else this window's folder (bytes). Dialogs
    // that take names from the list (rename, shortcut) read selectedNames().
    void folderOffered(const QByteArray& folder);

protected:
    // Re-reads or re-counts for `mode`; `folder`, when not empty, is the
    // folder to show from now on. Kinds differ in which modes move them.
    // (`update` by another name; QWidget already has one.)
    virtual void updateWith(app::RefreshSignal mode, const std::string& folder = {}) = 0;
    // Builds the status after the entries changed.
    void afterRead();
    // Starts reading `folder` (one folder, its name taken whole).
    void readFolder(const std::string& folder);
    void applyStoredSettings(const config::Key& styleKey, const config::Key& folderKey);
    void setUpEnabled(bool on);
    // "Up one level" stops at the root of a volume (a drive root).
    static bool atVolumeRoot(const std::string& folder);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    app::AppState& state() const;
    std::string whatdiskText() const;
    void buildWidgets();
    void buildMenus();
    void onProgress(qulonglong entries);
    void onReadFinished(bool cancelled);
    void updateHeaderLabels();
    void selectionChanged();
    void FileList1MouseUp();
    // Right button.
    void rightclick(QPoint pos);
    void rightclickup(QPoint pos);
    void dblrightclick(QPoint pos);
    void Timer1Timer();
    bool nearPress(QPoint pos) const;
    // Drops (file_window_drops.cpp): on a folder entry, else into the window's folder.
    void setUpDrops();
    std::string dropFolderAt(const QPoint& viewportPos) const;
    // The name of the folder entry at this point of FileList1; empty over a file or no entry.
    std::string folderNameAt(const QPoint& listPos) const;

    TFileList* model_ = nullptr;
    TFileListView* FileList1 = nullptr;
    QWidget* Panel3 = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* maskLabel_ = nullptr;
    QLabel* extlabel = nullptr;
    QLabel* Label2 = nullptr;
    QWidget* listpan = nullptr;
    QLabel* names = nullptr;
    QLabel* Label3 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* renameItem_ = nullptr;
    QAction* shortcutItem_ = nullptr;
    QAction* propertiesItem_ = nullptr;
    QTimer Timer1;

    void applyPendingSelection();

    std::vector<std::string> pendingSelection_;
    QString selectString_ = QStringLiteral(" nothing selected");
    QPoint pressPos_{-1, -1};
    int rightClickRow_ = -1;
    std::string rightDropTarget_;
};

}  // namespace arbel::ui

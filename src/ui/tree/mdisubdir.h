#pragma once
// Tmdisubdir, the tree window ("Combined Volumes"): the folder tree under a one-line
// header with the count of visible folders and the level buttons. It feeds the folder
// the user settles on to the auto-folder window 150 ms after a click (a double click
// within that time opens a folder window instead), offers its context menu on a held
// right button (500 ms) and the Copy/Move menu on a right-button drag, expands and
// collapses by levels, and can be minimised but not closed. There is one.
//
// Other windows learn the selected folder from selectedFolder() and the signals
// folderSelected (every selection) and folderSettled (the delayed single click).

#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "core/dnd/drop_effect.h"
#include "core/tree/dir_tree.h"
#include "core/tree/tree_window_rules.h"
#include "ui/app/child_window.h"

class QLabel;
class QMenu;
class QToolButton;

namespace arbel::ui {

class DirTreeModel;
class DirTreeView;

class Tmdisubdir : public ChildWindow {
    Q_OBJECT
public:
    // volumes: where the volume list comes from; null for the machine's (tests inject one).
    explicit Tmdisubdir(Tmdimain& frame, tree::VolumeSource* volumes = nullptr);
    ~Tmdisubdir() override;

    // The tree window of the frame, if it exists.
    static Tmdisubdir* of(const Tmdimain& frame);

    tree::TDirTree& DirTree1() const { return *tree_; }
    DirTreeView* treeView() const { return view_; }
    // The selected folder in folder form (no trailing "/" except the root), bytes as
    // stored; empty when nothing is selected.
    std::string selectedFolder() const;
    QLabel* headerLabel() const { return Label1; }
    QMenu* contextMenu() const { return PopupMenu1; }
    QMenu* dragMenu() const { return PopupMenu2; }

    QString captionText() const override;
    void ActivateForm() override;
    QWidget* mainControl() const override;
    // The frame's Refresh: rebuild the tree, keeping the selection.
    void refreshWindow(app::RefreshSignal mode, const std::string& folder = {}) override;
    app::ChildExtras settingsExtras() const override;

    // Expanding by levels (the buttons "1".."5", "*" and their keys).
    void collall();
    void exp1Click();
    void exp2Click();
    void exp3Click();
    void exp4Click();
    void exp5Click();
    void expallClick();
    // Header: the number of visible folders.
    void howmany();
    // A right-button drag that started in another window ended over the tree: the
    // Copy/Move menu for the folder under the point.
    void rightDragEndedAt(const QPoint& globalPos);

signals:
    // The selection moved to this folder (folder form, bytes).
    void folderSelected(const QByteArray& folder);
    // A single click settled on this folder (150 ms without a double click): what the
    // auto-folder window follows.
    void folderSettled(const QByteArray& folder);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void dirtree1Change();
    void dirtree1Click();
    void DirTree1DblClick();
    void dirtree1MouseDown(const QModelIndex& index);
    void dirtree1MouseUp();
    void rightDown(const QPoint& globalPos, const QModelIndex& index);
    void rightUp(const QPoint& globalPos, const QModelIndex& index);
    void DirTree1KeyPress(QChar key);
    void Timer1Timer();
    void Timer2Timer();
    void PopupMenu1Popup();
    void dragMenuChoice(bool move);
    // Files dropped at this point of the tree's viewport (from any program).
    void DragDropFiles1Drop(const std::vector<std::string>& paths, const QPoint& pos, dnd::DropEffect effect);
    void expandTo(int levels);
    void buildHeader(QWidget* host);
    void buildMenus();
    QByteArray folderBytes() const;

    std::unique_ptr<tree::TDirTree> tree_;
    DirTreeModel* model_ = nullptr;
    DirTreeView* view_ = nullptr;
    QLabel* Label1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QTimer Timer1;  // right button held: context menu
    QTimer Timer2;  // single click settled: auto-folder window
    QTimer countLater_;
    QTimer recheck_;  // a volume did not answer in time: asked again until it does
    void watchUnansweredVolumes();
    bool autoUpdatePending_ = false;
    bool lastHitItem_ = false;  // the last press hit a folder
    QPoint rightPressAt_;
    tree::TreeNode* dragSourceNode_ = nullptr;
    tree::TreeNode* dragTargetNode_ = nullptr;
};

}  // namespace arbel::ui

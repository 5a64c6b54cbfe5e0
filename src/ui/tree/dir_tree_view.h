#pragma once
// The tree control: a QTreeView over DirTreeModel that keeps the core's selection and
// expanded state and the view's in step, and hands the gestures the tree window
// interprets (right button, level keys, double click) to it as signals. Qt's own
// context menu and its "*", "+" and "-" keys are replaced by the window's. A drag
// carries the selected folder; drops are the window's (setDrops).

#include <QTreeView>

#include "ui/app/file_drag.h"
#include "ui/tree/dir_tree_model.h"

namespace arbel::ui {

class DirTreeView : public FileItemView<QTreeView> {
    Q_OBJECT
public:
    explicit DirTreeView(DirTreeModel* model, QWidget* parent = nullptr);

    DirTreeModel* dirModel() const { return model_; }
    tree::TDirTree& core() const { return model_->core(); }
    // Makes node the current, selected row (through the core's selection handling).
    void selectNode(tree::TreeNode* node);
    tree::TreeNode* nodeAt(const QPoint& viewportPos) const;

signals:
    void leftPressed(const QModelIndex& index);
    void rightPressed(const QPoint& globalPos, const QModelIndex& index);
    void rightReleased(const QPoint& globalPos, const QModelIndex& index);
    void leftReleased();
    // A character key the window handles ("!", "@", "#", "$", "%", "*", "+", "-").
    void levelKey(QChar key);
    // Enter or a double click on a folder.
    void openRequested(const QModelIndex& index);
    // The keyboard's context-menu key.
    void contextMenuKey();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void onCoreSelection(const QModelIndex& index);
    void onCoreExpanded(const QModelIndex& index, bool expanded);
    // The busy cursor shows over a folder being read (and its "reading…" row) only:
    // the rest of the tree, and every other window, answers meanwhile.
    void updateBusyCursor();

    DirTreeModel* model_;
    bool syncing_ = false;  // the change comes from the core: do not hand it back
};

}  // namespace arbel::ui

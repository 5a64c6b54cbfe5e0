#include "ui/tree/dir_tree_view.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace arbel::ui {

DirTreeView::DirTreeView(DirTreeModel* model, QWidget* parent) : FileItemView(parent), model_(model) {
    setModel(model);
    setHeaderHidden(true);
    setUniformRowHeights(true);      // keeps 10,000 siblings cheap to lay out
    setExpandsOnDoubleClick(false);  // a double click opens a folder window instead
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setFrameShape(QFrame::NoFrame);
    setAnimated(false);
    setDragEnabled(true);  // a folder can be dragged to other programs
    setDragDropMode(DragOnly);
    dragPaths = [this] {
        std::vector<std::string> paths;
        for (const QModelIndex& i : selectionModel()->selectedIndexes())
            if (tree::TreeNode* node = model_->nodeOf(i))
                paths.push_back(tree::folderForm(core().NodePath(node)));
        return paths;
    };
    header()->setStretchLastSection(true);
    setMouseTracking(true);
    // An expansion that starts or ends under a still mouse changes the cursor too.
    connect(model, &QAbstractItemModel::dataChanged, this, &DirTreeView::updateBusyCursor);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &DirTreeView::updateBusyCursor);
    connect(model, &QAbstractItemModel::modelReset, this, &DirTreeView::updateBusyCursor);

    connect(model_, &DirTreeModel::coreSelectionChanged, this, &DirTreeView::onCoreSelection);
    connect(model_, &DirTreeModel::coreExpandedChanged, this, &DirTreeView::onCoreExpanded);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (!syncing_) core().setExpanded(model_->nodeOf(index), true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        model_->forgetUnreadable(index);
        if (!syncing_) core().setExpanded(model_->nodeOf(index), false);
    });
}

tree::TreeNode* DirTreeView::nodeAt(const QPoint& viewportPos) const {
    return model_->nodeOf(indexAt(viewportPos));
}

void DirTreeView::selectNode(tree::TreeNode* node) {
    QModelIndex index = model_->indexOf(node);
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void DirTreeView::onCoreSelection(const QModelIndex& index) {
    if (syncing_) return;
    syncing_ = true;
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
    syncing_ = false;
}

void DirTreeView::onCoreExpanded(const QModelIndex& index, bool expanded) {
    const bool was = syncing_;
    syncing_ = true;
    setExpanded(index, expanded);
    syncing_ = was;
}

void DirTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (syncing_ || model_->changing()) return;
    tree::TreeNode* node = model_->nodeOf(current);
    if (!node || node == core().selected()) return;
    syncing_ = true;  // the core may move the selection itself (a changed medium)
    core().select(node);
    syncing_ = false;
    if (core().selected() != node) onCoreSelection(model_->indexOf(core().selected()));
}

void DirTreeView::mouseMoveEvent(QMouseEvent* event) {
    FileItemView::mouseMoveEvent(event);
    updateBusyCursor();
}

void DirTreeView::leaveEvent(QEvent* event) {
    FileItemView::leaveEvent(event);
    viewport()->unsetCursor();
}

void DirTreeView::updateBusyCursor() {
    const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
    const bool busy = viewport()->rect().contains(at) && model_->isReading(indexAt(at));
    if (busy)
        viewport()->setCursor(Qt::BusyCursor);
    else if (viewport()->testAttribute(Qt::WA_SetCursor))
        viewport()->unsetCursor();
}

void DirTreeView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        // The window decides: a short click shows nothing, a held button the menu,
        // a drag the Copy/Move menu. Qt's own handling would select and open menus.
        emit rightPressed(event->globalPosition().toPoint(), index);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) emit leftPressed(index);
    QTreeView::mousePressEvent(event);
}

void DirTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit rightReleased(event->globalPosition().toPoint(), indexAt(event->position().toPoint()));
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit leftReleased();
}

void DirTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && model_->nodeOf(index)) {
        emit openRequested(index);
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void DirTreeView::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.size() == 1 && QStringLiteral("!@#$%*+-").contains(text[0])) {
        emit levelKey(text[0]);
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        emit openRequested(currentIndex());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void DirTreeView::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse's menu comes from the held right button; only the keyboard's key here.
    if (event->reason() == QContextMenuEvent::Keyboard) emit contextMenuKey();
    event->accept();
}

}  // namespace arbel::ui

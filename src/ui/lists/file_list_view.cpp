#include "ui/lists/file_list_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QTreeView>

#include "core/app/file_system.h"
#include "ui/app/whole_names.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"

namespace arbel::ui {

namespace {

// Report columns: name (as wide as the longest name), extension, size,
// attributes, modified, then the three key cells, which stay hidden.
constexpr int kWidths[TFileList::ColumnCount] = {180, 55, 95, 60, 140, 0, 0, 0};

}  // namespace

TFileListView::TFileListView(TFileList& model, QWidget* parent)
    : QStackedWidget(parent), model_(model), style_(DisplayStyle::List) {
    selection_ = new QItemSelectionModel(&model_, this);

    list_ = new FileItemView<QListView>(this);
    list_->setModel(&model_);
    list_->setSelectionModel(selection_);
    list_->setModelColumn(TFileList::ColName);
    // Uniform sizes and batched layout keep 100,000 entries cheap to lay out.
    list_->setUniformItemSizes(true);
    list_->setLayoutMode(QListView::Batched);
    list_->setBatchSize(2000);
    list_->setResizeMode(QListView::Adjust);
    list_->setMovement(QListView::Static);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideMiddle);
    setupView(list_);

    report_ = new FileItemView<QTreeView>(this);
    report_->setModel(&model_);
    report_->setSelectionModel(selection_);
    report_->setRootIsDecorated(false);
    report_->setUniformRowHeights(true);
    report_->setItemsExpandable(false);
    report_->setAllColumnsShowFocus(true);
    report_->header()->setSectionsClickable(true);
    report_->header()->setSectionsMovable(false);
    report_->header()->setStretchLastSection(false);
    report_->setTextElideMode(Qt::ElideMiddle);
    setupView(report_);
    report_->setColumnWidth(TFileList::ColName, kWidths[TFileList::ColName]);
    applyColumnWidths();
    connect(report_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        lists::FileInfo info = TFileList::infoOfColumn(section);
        if (info != lists::FileInfo::All) emit headerClicked(info);
    });
    connect(&model_, &QAbstractItemModel::modelReset, this, &TFileListView::applyColumnWidths);
    wholeList_ = new WholeNames(list_);
    new WholeNames(report_, {TFileList::ColName});

    addWidget(list_);
    addWidget(report_);
    connect(selection_, &QItemSelectionModel::selectionChanged, this,
            [this] { emit selectionChangedByUser(); });
    setDisplayStyle(DisplayStyle::List);
}

void TFileListView::setupView(QAbstractItemView* view) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->viewport()->installEventFilter(this);
    view->viewport()->setMouseTracking(true);
    view->installEventFilter(this);
    auto paths = [this] { return dragPaths(); };
    if (auto* l = dynamic_cast<FileItemView<QListView>*>(view)) l->dragPaths = paths;
    if (auto* t = dynamic_cast<FileItemView<QTreeView>*>(view)) t->dragPaths = paths;
    connect(view, &QAbstractItemView::activated, this,
            [this](const QModelIndex& i) { emit entryActivated(i.row()); });
}

void TFileListView::applyColumnWidths() {
    for (int c = 0; c < TFileList::ColumnCount; ++c) {
        report_->setColumnHidden(c, kWidths[c] == 0);
        // The name column follows the names (WholeNames).
        if (kWidths[c] && c != TFileList::ColName) report_->setColumnWidth(c, kWidths[c]);
    }
}

QAbstractItemView* TFileListView::currentView() const {
    return style_ == DisplayStyle::Report ? static_cast<QAbstractItemView*>(report_) : list_;
}

void TFileListView::setDisplayStyle(DisplayStyle style) {
    style_ = style;
    switch (style) {
        case DisplayStyle::Large:
            list_->setViewMode(QListView::IconMode);
            list_->setFlow(QListView::LeftToRight);
            list_->setWrapping(true);
            list_->setIconSize(QSize(32, 32));
            list_->setGridSize(QSize(96, 64));
            wholeList_->setEnabled(false);  // names cut in the middle to the grid
            break;
        case DisplayStyle::Small:
            list_->setViewMode(QListView::ListMode);
            list_->setFlow(QListView::LeftToRight);
            list_->setWrapping(true);
            list_->setIconSize(QSize(16, 16));
            list_->setGridSize(QSize());
            wholeList_->setEnabled(true);  // cells as wide as the widest name
            break;
        case DisplayStyle::List:
            list_->setViewMode(QListView::ListMode);
            list_->setFlow(QListView::TopToBottom);
            list_->setWrapping(true);
            list_->setIconSize(QSize(16, 16));
            list_->setGridSize(QSize());
            wholeList_->setEnabled(true);
            break;
        case DisplayStyle::Report:
            break;
    }
    // View mode changes reset these (the movement also whether drops are taken).
    list_->setMovement(QListView::Static);
    list_->setDragEnabled(true);
    list_->setDrops(list_->drops);
    QAbstractItemView* view = currentView();
    bool hadFocus =
        hasFocus() || (QStackedWidget::currentWidget() && QStackedWidget::currentWidget()->hasFocus());
    setCurrentWidget(view);
    if (hadFocus) view->setFocus();
}

std::vector<int> TFileListView::selectedRows() const {
    // Straight from the selection's ranges: a whole 100,000-entry selection is
    // one range, not 100,000 index objects.
    std::vector<int> rows;
    for (const QItemSelectionRange& r : selection_->selection()) {
        if (!r.isValid() || r.left() > TFileList::ColName || r.right() < TFileList::ColName) continue;
        for (int row = r.top(); row <= r.bottom(); ++row) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TFileListView::selectAll(bool filesOnly) {
    QItemSelection sel;
    const int n = model_.rowCount();
    const int last = TFileList::ColumnCount - 1;
    if (!filesOnly) {
        if (n > 0) sel.select(model_.index(0, 0), model_.index(n - 1, last));
    } else {
        // Folders come first, so files are one run at the end of the list.
        int first = 0;
        while (first < n && model_.core().entry(static_cast<std::size_t>(first)).isFolder()) ++first;
        if (first < n) sel.select(model_.index(first, 0), model_.index(n - 1, last));
    }
    selection_->select(sel, QItemSelectionModel::ClearAndSelect);
}

void TFileListView::clearSelection() {
    selection_->clearSelection();
}

void TFileListView::focusFirst() {
    if (model_.rowCount() > 0) selection_->setCurrentIndex(model_.index(0, 0), QItemSelectionModel::NoUpdate);
}

int TFileListView::rowAt(const QPoint& viewportPos) const {
    QModelIndex i = currentView()->indexAt(viewportPos);
    return i.isValid() ? i.row() : -1;
}

QPoint TFileListView::toViewport(const QPoint& pos) const {
    QWidget* vp = currentView()->viewport();
    return vp->mapFrom(this, pos);
}

std::vector<std::string> TFileListView::dragPaths() const {
    std::vector<std::string> paths;
    for (int row : selectedRows()) {
        std::string path = model_.fullPath(row);
        if (pathExists(path)) paths.push_back(std::move(path));
    }
    return paths;
}

void TFileListView::setDrops(const FileDropHandling& handling) {
    list_->setDrops(handling);
    report_->setDrops(handling);
}

bool TFileListView::eventFilter(QObject* watched, QEvent* event) {
    QWidget* vp = currentView()->viewport();
    if (watched == vp) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick: {
                auto* me = static_cast<QMouseEvent*>(event);
                if (me->button() == Qt::LeftButton && event->type() == QEvent::MouseButtonRelease) {
                    emit leftReleased(vp->mapTo(this, me->position().toPoint()));
                }
                if (me->button() != Qt::RightButton) break;
                QPoint p = vp->mapTo(this, me->position().toPoint());
                if (event->type() == QEvent::MouseButtonPress) emit rightPressed(p);
                if (event->type() == QEvent::MouseButtonRelease) emit rightReleased(p);
                if (event->type() == QEvent::MouseButtonDblClick) emit rightDoubleClicked(p);
                return true;  // the right button never selects here
            }
            case QEvent::MouseMove:
                emit mouseMoved(vp->mapTo(this, static_cast<QMouseEvent*>(event)->position().toPoint()));
                break;
            default:
                break;
        }
    }
    return QStackedWidget::eventFilter(watched, event);
}

}  // namespace arbel::ui

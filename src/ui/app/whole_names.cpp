#include "ui/app/whole_names.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>
#include <vector>

namespace arbel::ui {

namespace {

// Rows measured at most per call: shaping a text costs some microseconds, so
// measuring 100,000 names would stall the window for seconds.
constexpr int kMeasured = 2000;
// A column shrunk for a narrow window keeps at least this much.
constexpr int kMinimumCell = 40;

// A list view with uniform item sizes takes every item's size from one item;
// this delegate gives that size the fitted width (0: the item's own).
class FittedDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (width_ > 0) size.setWidth(width_);
        return size;
    }
    int width() const { return width_; }
    // The view lays its items out again when the width changes.
    void setWidth(int width, const QModelIndex& any) {
        if (width == width_) return;
        width_ = width;
        emit sizeHintChanged(any);
    }
    // For asking the item's own size in between.
    void setWidthQuietly(int width) { width_ = width; }

private:
    int width_ = 0;
};

QString textOf(const QAbstractItemModel& model, int row, int column) {
    return model.index(row, column).data(Qt::DisplayRole).toString();
}

}  // namespace

int widestText(const QAbstractItemModel& model, int column, const QFontMetrics& metrics, int first,
               int last) {
    first = std::max(first, 0);
    last = std::min(last, model.rowCount() - 1);
    if (first > last) return 0;
    int widest = 0;
    if (last - first + 1 <= kMeasured) {
        for (int r = first; r <= last; ++r)
            widest = std::max(widest, metrics.horizontalAdvance(textOf(model, r, column)));
        return widest;
    }
    // The longest texts in characters are the widest but for rare mixes of
    // narrow and wide letters.
    std::vector<std::pair<qsizetype, QString>> texts;
    texts.reserve(size_t(last - first + 1));
    for (int r = first; r <= last; ++r) {
        QString t = textOf(model, r, column);
        texts.emplace_back(t.size(), std::move(t));
    }
    std::nth_element(texts.begin(), texts.begin() + kMeasured, texts.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (int i = 0; i < kMeasured; ++i)
        widest = std::max(widest, metrics.horizontalAdvance(texts[size_t(i)].second));
    return widest;
}

WholeNames::WholeNames(QListView* view) : QObject(view), view_(view), list_(view) {
    delegate_ = new FittedDelegate(this);
    view->setItemDelegate(static_cast<FittedDelegate*>(delegate_));
    columns_ = {view->modelColumn()};
    widest_ = {0};
    userSized_ = {false};
    watchModel();
}

WholeNames::WholeNames(QTreeView* view, QList<int> columns)
    : QObject(view), view_(view), tree_(view), columns_(std::move(columns)), enabled_(true) {
    widest_.fill(0, columns_.size());
    userSized_.fill(false, columns_.size());
    connect(view->header(), &QHeaderView::sectionResized, this, [this](int section, int, int) {
        if (applying_) return;
        if (qsizetype i = columns_.indexOf(section); i >= 0)
            userSized_[i] = true;
        else
            apply();  // another column took or gave room
    });
    watchModel();
    remeasure();
}

void WholeNames::watchModel() {
    QAbstractItemModel* model = view_->model();
    viewport_ = view_->viewport();
    viewport_->installEventFilter(this);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        userSized_.fill(false);
        remeasure();
    });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (!parent.isValid()) measure(first, last);
            });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole)) measure(from.row(), to.row());
            });
}

void WholeNames::setEnabled(bool on) {
    const bool was = enabled_;
    enabled_ = on;
    if (on && !was)
        remeasure();
    else if (on)
        apply();
    // Off: items fill the cells of the view's grid, if it has one.
    else if (list_)
        static_cast<FittedDelegate*>(delegate_)->setWidth(std::max(list_->gridSize().width(), 0), {});
}

void WholeNames::remeasure() {
    widest_.fill(0);
    measure(0, view_->model()->rowCount() - 1);
}

void WholeNames::measure(int first, int last) {
    if (!enabled_) return;
    const QFontMetrics metrics(view_->font());
    for (qsizetype i = 0; i < columns_.size(); ++i)
        widest_[i] = std::max(widest_[i], widestText(*view_->model(), columns_[i], metrics, first, last));
    apply();
}

int WholeNames::cellWidth(int column, int textWidth) const {
    // The delegate's margins and icon, taken from the first row.
    const QModelIndex sample = view_->model()->index(0, column);
    if (!sample.isValid()) return textWidth;
    const int sampleText = QFontMetrics(view_->font()).horizontalAdvance(sample.data().toString());
    // Two pixels for the rounding of text widths, which differs between texts.
    return textWidth + std::max(0, view_->sizeHintForIndex(sample).width() - sampleText) + 2;
}

bool WholeNames::eventFilter(QObject* watched, QEvent* event) {
    // The viewport is compared, never asked for: it also sends events while
    // the view is being destroyed.
    if (watched == viewport_ && event->type() == QEvent::Resize && enabled_) apply();
    return QObject::eventFilter(watched, event);
}

void WholeNames::apply() {
    if (!enabled_ || applying_) return;
    applying_ = true;
    if (list_) applyList();
    if (tree_) applyColumns();
    applying_ = false;
}

void WholeNames::applyList() {
    const QModelIndex sample = list_->model()->index(0, columns_[0]);
    if (!sample.isValid()) return;
    auto* delegate = static_cast<FittedDelegate*>(delegate_);
    // The item's own margins and icon are measured unfitted.
    const int fitted = delegate->width();
    delegate->setWidthQuietly(0);
    const int need = cellWidth(columns_[0], widest_[0]);
    delegate->setWidthQuietly(fitted);
    // A column of the list never reaches past the window.
    const int room = std::max(kMinimumCell, list_->viewport()->width() - 2 * list_->spacing() - 1);
    delegate->setWidth(std::min(need, room), sample);
}

void WholeNames::applyColumns() {
    QHeaderView* header = tree_->header();
    int room = tree_->viewport()->width();
    for (int c = 0; c < header->count(); ++c) {
        const qsizetype i = columns_.indexOf(c);
        if (header->isSectionHidden(c) || (i >= 0 && !userSized_[i])) continue;
        room -= header->sectionSize(c);
    }
    QList<int> need(columns_.size(), 0);
    int total = 0;
    for (qsizetype i = 0; i < columns_.size(); ++i) {
        if (userSized_[i] || header->isSectionHidden(columns_[i])) continue;
        need[i] = std::max(cellWidth(columns_[i], widest_[i]), header->sectionSizeHint(columns_[i]));
        total += need[i];
    }
    for (qsizetype i = 0; i < columns_.size(); ++i) {
        if (!need[i]) continue;
        int width = need[i];
        // Too narrow: the columns share the room in proportion to their needs.
        if (total > room)
            width =
                std::max(std::min(need[i], kMinimumCell), int(qint64(need[i]) * std::max(room, 0) / total));
        if (header->sectionSize(columns_[i]) != width) header->resizeSection(columns_[i], width);
    }
}

}  // namespace arbel::ui

#include "ui/tree/dir_tree_model.h"

#include <QPalette>

#include "ui/app/background_job.h"
#include "ui/app/scope_guards.h"
#include "ui/icons/type_icons.h"

namespace arbel::ui {

namespace {

// Node pointers are aligned, so the low bit is free to mark a placeholder row.
constexpr quintptr kPlaceholderBit = 1;

tree::TreeNode* pointerOf(const QModelIndex& index) {
    return reinterpret_cast<tree::TreeNode*>(index.internalId() & ~kPlaceholderBit);
}

}  // namespace

struct DirTreeModel::Expansion {
    QPersistentModelIndex index;
    tree::ExpansionQuery query;
    std::shared_ptr<tree::ExpansionRead> read = std::make_shared<tree::ExpansionRead>();
    BackgroundJob* job = nullptr;  // a child of the model: it goes with the model at the latest
};

QString DirTreeModel::readingText() {
    return QStringLiteral("reading\u2026");
}
QString DirTreeModel::unreadableText() {
    return QStringLiteral("(unreadable)");
}

DirTreeModel::DirTreeModel(tree::TDirTree& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
    // Closed folder normally, the open folder while selected.
    folderIcon_ = iconForFolder(false);
    QIcon open = iconForFolder(true);
    for (const QSize& size : open.availableSizes()) folderIcon_.addPixmap(open.pixmap(size), QIcon::Selected);
    if (open.availableSizes().isEmpty()) folderIcon_.addPixmap(open.pixmap(16), QIcon::Selected);
    tree_.setObserver(&bridge_);
}

DirTreeModel::~DirTreeModel() {
    // The jobs are children of the model: one reading stuck on a dead mount is left to
    // finish alone (each waits a moment), and its end is never delivered.
    expanding_.clear();
    tree_.setObserver(nullptr);
}

bool DirTreeModel::isPlaceholder(const QModelIndex& index) {
    return index.isValid() && (index.internalId() & kPlaceholderBit);
}

tree::TreeNode* DirTreeModel::nodeOf(const QModelIndex& index) const {
    if (!index.isValid() || isPlaceholder(index)) return nullptr;
    return pointerOf(index);
}

QModelIndex DirTreeModel::indexOf(const tree::TreeNode* node) const {
    if (!node) return {};
    return createIndex(node->row(), 0, const_cast<tree::TreeNode*>(node));
}

QModelIndex DirTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) {
        const auto& roots = tree_.roots();
        return row < int(roots.size()) ? createIndex(row, 0, roots[size_t(row)].get()) : QModelIndex();
    }
    tree::TreeNode* node = nodeOf(parent);
    if (!node) return {};
    if (node->hasPlaceholder())
        return row == 0 ? createIndex(0, 0, reinterpret_cast<quintptr>(node) | kPlaceholderBit)
                        : QModelIndex();
    const auto& children = node->children();
    return row < int(children.size()) ? createIndex(row, 0, children[size_t(row)].get()) : QModelIndex();
}

QModelIndex DirTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    if (isPlaceholder(child)) return indexOf(pointerOf(child));
    return indexOf(pointerOf(child)->parent());
}

int DirTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return int(tree_.roots().size());
    if (parent.column() != 0) return 0;
    tree::TreeNode* node = nodeOf(parent);
    return node ? node->rowCount() : 0;
}

int DirTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool DirTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QString DirTreeModel::displayText(const std::string& bytes) {
    // Stateless: a stray lead byte at the end is replaced, not held back for more input.
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QVariant DirTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (isPlaceholder(index)) {
        if (role == IsPlaceholderRole) return true;
        if (role == Qt::DisplayRole) {
            const quintptr key = index.internalId() & ~kPlaceholderBit;
            if (expanding_.count(key)) return readingText();
            if (unreadable_.contains(key)) return unreadableText();
            return QString();
        }
        if (role == Qt::ForegroundRole) return QPalette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    }
    tree::TreeNode* node = pointerOf(index);
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return displayText(tree_.nodeText(node));
        case Qt::DecorationRole:
            if (node->isVolume()) {
                const Volume* v = tree_.volumeOfNode(node);
                return iconForVolume(v ? v->type : DriveType::Unknown);
            }
            return folderIcon_;
        case PathRole: {
            std::string p = tree::folderForm(tree_.NodePath(node));
            return QByteArray(p.data(), qsizetype(p.size()));
        }
        case IsVolumeRole:
            return node->isVolume();
        case IsLinkRole:
            return node->isLink();
        case IsPlaceholderRole:
            return false;
        default:
            return {};
    }
}

Qt::ItemFlags DirTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (isPlaceholder(index)) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

bool DirTreeModel::canFetchMore(const QModelIndex& parent) const {
    tree::TreeNode* node = nodeOf(parent);
    if (!node || !tree_.needsExpandWork(node)) return false;
    const quintptr key = reinterpret_cast<quintptr>(node);
    return !expanding_.count(key) && !unreadable_.contains(key);
}

bool DirTreeModel::isUnreadable(const QModelIndex& index) const {
    tree::TreeNode* node = nodeOf(index);
    return node && unreadable_.contains(reinterpret_cast<quintptr>(node));
}

bool DirTreeModel::isReading(const QModelIndex& index) const {
    if (!index.isValid() || expanding_.empty()) return false;
    const quintptr key = isPlaceholder(index) ? (index.internalId() & ~kPlaceholderBit)
                                              : reinterpret_cast<quintptr>(nodeOf(index));
    return expanding_.count(key) != 0;
}

void DirTreeModel::forgetUnreadable(const QModelIndex& index) {
    tree::TreeNode* node = nodeOf(index);
    if (node && unreadable_.remove(reinterpret_cast<quintptr>(node))) placeholderChanged(index);
}

void DirTreeModel::placeholderChanged(const QModelIndex& parent) {
    tree::TreeNode* node = nodeOf(parent);
    if (!node || !node->hasPlaceholder()) return;
    QModelIndex row = index(0, 0, parent);
    emit dataChanged(row, row, {Qt::DisplayRole});
}

void DirTreeModel::startExpansion(tree::TreeNode* node, const QPersistentModelIndex& index) {
    const quintptr key = reinterpret_cast<quintptr>(node);
    auto query = tree_.expansionQuery(node);
    if (!query) {
        // Hooks run on this thread: read in place.
        WaitCursor wait;
        tree_.expandNode(node);
        return;
    }
    auto e = std::make_unique<Expansion>();
    e->index = index;
    e->query = std::move(*query);
    e->job = new BackgroundJob(this);
    e->job->allowGivingUp(kStopGraceMs, [this, key] { endExpansion(key, true); });
    e->job->setDeadline(expandDeadlineMs_);
    Expansion& x = *e;
    expanding_[key] = std::move(e);
    unreadable_.remove(key);
    // The worker owns copies only: the query and the answer it fills.
    x.job->start([query = x.query, read = x.read](
                     JobContext& context) { *read = tree::readExpansion(query, &context.cancelToken()); },
                 [this, key] { endExpansion(key, false); });
    placeholderChanged(index);
}

void DirTreeModel::endExpansion(quintptr key, bool timedOut) {
    auto it = expanding_.find(key);
    if (it == expanding_.end()) return;
    std::unique_ptr<Expansion> e = std::move(it->second);
    expanding_.erase(it);
    // Its own job runs this: it goes once the call is over.
    e->job->deleteLater();
    tree::TreeNode* node = nodeOf(e->index);
    if (!node || reinterpret_cast<quintptr>(node) != key) return;  // the node went away
    if (timedOut) {
        unreadable_.insert(key);
        placeholderChanged(e->index);
        return;
    }
    if (!tree_.applyExpansion(node, e->query, std::move(*e->read))) placeholderChanged(e->index);
}

void DirTreeModel::fetchMore(const QModelIndex& parent) {
    tree::TreeNode* node = nodeOf(parent);
    if (!node || !tree_.needsExpandWork(node)) return;
    // Views ask from inside their own layout (QTreeView does), and from inside the
    // signals of another change; rows must not go away under them there. So the
    // reading runs as soon as the view is done, once per node.
    const quintptr key = reinterpret_cast<quintptr>(node);
    if (pendingFetch_.contains(key)) return;
    pendingFetch_.insert(key);
    QMetaObject::invokeMethod(
        this,
        [this, key, p = QPersistentModelIndex(parent)] {
            pendingFetch_.remove(key);
            tree::TreeNode* n = nodeOf(p);
            if (!n || !canFetchMore(p)) return;
            startExpansion(n, p);
        },
        Qt::QueuedConnection);
}

// ---- core notifications

void DirTreeModel::Bridge::beginReset() {
    ++m_.changing_;
    m_.pendingFetch_.clear();
    m_.unreadable_.clear();
    m_.beginResetModel();
}
void DirTreeModel::Bridge::endReset() {
    m_.endResetModel();
    --m_.changing_;
}

void DirTreeModel::Bridge::beginInsertRows(tree::TreeNode* parent, int first, int last) {
    ++m_.changing_;
    m_.beginInsertRows(m_.indexOf(parent), first, last);
}
void DirTreeModel::Bridge::endInsertRows() {
    m_.endInsertRows();
    --m_.changing_;
}

void DirTreeModel::Bridge::beginRemoveRows(tree::TreeNode* parent, int first, int last) {
    ++m_.changing_;
    // Marks are kept by node address; a removed node's must not pass to a new one there.
    m_.unreadable_.clear();
    m_.beginRemoveRows(m_.indexOf(parent), first, last);
}
void DirTreeModel::Bridge::endRemoveRows() {
    m_.endRemoveRows();
    --m_.changing_;
}

void DirTreeModel::Bridge::beginReorder(tree::TreeNode* parent) {
    ++m_.changing_;
    emit m_.layoutAboutToBeChanged({QPersistentModelIndex(m_.indexOf(parent))},
                                   QAbstractItemModel::VerticalSortHint);
    m_.reorderSaved_ = m_.persistentIndexList();
}

void DirTreeModel::Bridge::endReorder(tree::TreeNode*) {
    // Nodes keep their pointers and only change rows: each persistent index follows its node.
    QModelIndexList now;
    now.reserve(m_.reorderSaved_.size());
    for (const QModelIndex& old : m_.reorderSaved_) {
        if (isPlaceholder(old))
            now.append(m_.createIndex(0, 0, old.internalId()));
        else
            now.append(m_.createIndex(pointerOf(old)->row(), old.column(), pointerOf(old)));
    }
    m_.changePersistentIndexList(m_.reorderSaved_, now);
    m_.reorderSaved_.clear();
    emit m_.layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    --m_.changing_;
}

void DirTreeModel::Bridge::nodeChanged(tree::TreeNode* node) {
    QModelIndex i = m_.indexOf(node);
    emit m_.dataChanged(i, i);
}

void DirTreeModel::Bridge::selectionChanged(tree::TreeNode* node) {
    emit m_.coreSelectionChanged(m_.indexOf(node));
}

void DirTreeModel::Bridge::expandedChanged(tree::TreeNode* node, bool expanded) {
    emit m_.coreExpandedChanged(m_.indexOf(node), expanded);
}

}  // namespace arbel::ui

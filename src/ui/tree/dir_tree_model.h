#pragma once
// The folder tree as a Qt item model over the core TDirTree: one index per core node
// (its internal pointer), no widget item per node. A node not read yet carries one
// placeholder row (an index tagged on its parent's pointer), so views show the expand
// button; expanding fetches through the core (read the folder, check each child).
// Core notifications become the model's row signals one for one.
//
// The reading of an expansion runs on a worker with a deadline: meanwhile the
// placeholder row says "reading…" and the tree answers keys and clicks; the children
// replace it when they come. A folder that does not answer in time shows as
// unreadable (nothing closes); collapsing it lets the next expansion try again. An
// answer for a node that went away or changed meanwhile is dropped.

#include <QAbstractItemModel>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QSet>
#include <map>
#include <memory>

#include "core/tree/dir_tree.h"

namespace arbel::ui {

class DirTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole + 1,  // QByteArray: the folder in folder form, bytes as on disk
        IsVolumeRole,                 // bool
        IsLinkRole,                   // bool
        IsPlaceholderRole,            // bool
    };

    explicit DirTreeModel(tree::TDirTree& tree, QObject* parent = nullptr);
    ~DirTreeModel() override;

    tree::TDirTree& core() const { return tree_; }
    QModelIndex indexOf(const tree::TreeNode* node) const;
    // The node of an index; null for the top level and for placeholder rows.
    tree::TreeNode* nodeOf(const QModelIndex& index) const;
    static bool isPlaceholder(const QModelIndex& index);
    // Between a core change's announcement and its end: views must not call into the
    // core then (a selection model moving its current row, for instance).
    bool changing() const { return changing_ > 0; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // How long an expansion may read before its folder shows as unreadable.
    void setExpandDeadline(int ms) { expandDeadlineMs_ = ms; }
    int expandDeadline() const { return expandDeadlineMs_; }
    // Expansions whose reading still runs.
    int pendingExpansions() const { return int(expanding_.size()); }
    bool isUnreadable(const QModelIndex& index) const;
    // A node whose expansion is being read, or the "reading…" row below it.
    bool isReading(const QModelIndex& index) const;
    // The view collapsed the node: an unreadable mark goes, so expanding retries.
    void forgetUnreadable(const QModelIndex& index);
    static QString readingText();
    static QString unreadableText();

    // Text shown for a node: names with bytes that are not UTF-8 show replacement
    // characters; the bytes themselves stay in PathRole.
    static QString displayText(const std::string& bytes);

signals:
    // The core moved its selection (GoToDir, a deletion, a medium change).
    void coreSelectionChanged(const QModelIndex& index);
    // The core expanded or collapsed a node (levels, GoToDir making a path visible).
    void coreExpandedChanged(const QModelIndex& index, bool expanded);

private:
    // Turns the core's notifications into the model's signals.
    class Bridge : public tree::TreeObserver {
    public:
        explicit Bridge(DirTreeModel& m) : m_(m) {}
        void beginReset() override;
        void endReset() override;
        void beginInsertRows(tree::TreeNode* parent, int first, int last) override;
        void endInsertRows() override;
        void beginRemoveRows(tree::TreeNode* parent, int first, int last) override;
        void endRemoveRows() override;
        void beginReorder(tree::TreeNode* parent) override;
        void endReorder(tree::TreeNode* parent) override;
        void nodeChanged(tree::TreeNode* node) override;
        void selectionChanged(tree::TreeNode* node) override;
        void expandedChanged(tree::TreeNode* node, bool expanded) override;

    private:
        DirTreeModel& m_;
    };

    struct Expansion;
    void startExpansion(tree::TreeNode* node, const QPersistentModelIndex& index);
    void endExpansion(quintptr key, bool timedOut);
    void placeholderChanged(const QModelIndex& parent);

    tree::TDirTree& tree_;
    Bridge bridge_{*this};
    int expandDeadlineMs_ = 3000;
    std::map<quintptr, std::unique_ptr<Expansion>> expanding_;
    QSet<quintptr> unreadable_;
    QIcon folderIcon_;
    QModelIndexList reorderSaved_;
    QSet<quintptr> pendingFetch_;  // nodes whose reading is queued
    int changing_ = 0;
};

}  // namespace arbel::ui

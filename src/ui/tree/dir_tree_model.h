#pragma once
// The folder tree as a Qt item model over the core TDirTree: one index per core node
// (its internal pointer), no widget item per node. A node not read yet carries one
// placeholder row (an index tagged on its parent's pointer), so views show the expand
// button; expanding fetches through the core (read the folder, check each child).
// Core notifications become the model's row signals one for one.

#include <QAbstractItemModel>
#include <QIcon>
#include <QSet>

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

    tree::TDirTree& tree_;
    Bridge bridge_{*this};
    QIcon folderIcon_;
    QModelIndexList reorderSaved_;
    QSet<quintptr> pendingFetch_;  // nodes whose reading is queued
    int changing_ = 0;
};

}  // namespace arbel::ui

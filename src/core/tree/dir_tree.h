#pragma once
// TDirTree: the folder tree's model. Top-level nodes are the machine's volumes, lower
// nodes folders, read lazily: a folder's subfolders are listed when it is expanded or
// a path through it is selected, and a folder not yet read is only checked for one
// qualifying subfolder (which gives it a placeholder, hence an expand button).
// Offers the rest of the program path-based operations (select, find, add, rename,
// delete, refresh) so file operations keep the tree in step without a rescan.
//
// Paths are node form (trailing "/"), case and bytes as stored. Not thread-safe: the
// interface thread owns it.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/lists/attribute_filter.h"
#include "core/lists/collate.h"
#include "core/tree/tree_expansion.h"
#include "core/tree/tree_node.h"
#include "core/tree/tree_paths.h"
#include "platform/cancel.h"
#include "platform/dir.h"
#include "platform/result.h"
#include "platform/trash_places.h"
#include "platform/volumes.h"

namespace arbel::tree {

// Which folders are shown, by attribute.
enum TDirType : uint8_t {
    dtReadOnly = 1,
    dtHidden = 2,
    dtSystem = 4,
    dtArchive = 8,
    dtNormal = 16,
    dtAll = 32,
};
using TDirTypes = uint8_t;
inline constexpr TDirTypes kAllDirTypes = dtReadOnly | dtHidden | dtSystem | dtArchive | dtNormal | dtAll;

// Which kinds of volume are shown: bit (1 << DriveType).
using TDriveTypes = uint8_t;
inline constexpr TDriveTypes driveTypeBit(DriveType t) {
    return TDriveTypes(1u << unsigned(t));
}
inline constexpr TDriveTypes kAllDriveTypes = 0x3F;

// The tree's attribute filter: a hidden, system or archive folder needs its kind
// among `types`; a folder with none of those needs dtNormal. Read-only plays no part.
lists::AttributeFilter treeAttributeFilter(TDirTypes types);

// The search record handed to an OnFindDir hook; Attr holds kAttr* bits (a folder
// has kAttrDirectory).
struct TDirRec {
    uint32_t Attr = 0;
    std::string Name;
    int32_t Tag = 0;
};

// Where the volumes come from: the machine, or a test's list.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    virtual std::vector<Volume> list() = 0;
    virtual std::vector<VolumeState> probe(const std::vector<Volume>& volumes) = 0;
};

class SystemVolumeSource : public VolumeSource {
public:
    std::vector<Volume> list() override { return listVolumes(); }
    std::vector<VolumeState> probe(const std::vector<Volume>& v) override { return probeVolumes(v); }
};

inline constexpr const char* kInvalidPathName = "Invalid Path Name";

class TDirTree {
public:
    // volumes: null means the machine's own. The tree starts empty: call readDrives().
    explicit TDirTree(VolumeSource* volumes = nullptr);
    ~TDirTree();
    TDirTree(const TDirTree&) = delete;
    TDirTree& operator=(const TDirTree&) = delete;

    // ---- properties
    TDirTypes DirTypes() const { return dirTypes_; }
    void setDirTypes(TDirTypes types);  // refreshes a loaded tree when it changes
    bool GoBelowRecycleBin() const { return goBelowRecycleBin_; }
    void setGoBelowRecycleBin(bool on);  // refreshes a loaded tree when it changes
    bool FastLoad() const { return fastLoad_; }
    void setFastLoad(bool on) { fastLoad_ = on; }
    TDriveTypes DriveTypes() const { return driveTypes_; }
    void setDriveTypes(TDriveTypes types);  // re-checks the volumes of a loaded tree
    const std::string& InitialDirectory() const { return initialDirectory_; }
    void setInitialDirectory(std::string path) { initialDirectory_ = std::move(path); }

    // Veto for every candidate folder and volume root (node-form path): false drops it.
    std::function<bool(const std::string& path)> OnAddDir;
    // Replaces the built-in enumeration: called with first = true, then false, until
    // it leaves result non-zero; each call with result 0 delivers one entry in rec.
    std::function<void(const std::string& path, TDirRec& rec, int& result, bool first)> OnFindDir;
    // After a node leaves the tree (each node of a deleted subtree).
    std::function<void(TreeNode* node)> OnDeleteItem;
    // The selection changed (after the volume's medium was checked).
    std::function<void(TreeNode* node)> OnChange;

    // Where "the current directory" points (default: the process's): GoToDir falls
    // back to its volume's root when asked for a path that does not exist.
    void setCurrentDirectory(std::string path) { currentDirectory_ = std::move(path); }
    void setTrashPlaces(TrashPlaces trash) { trash_ = std::move(trash); }
    void setObserver(TreeObserver* observer) { observer_ = observer; }

    // ---- loading
    void readDrives();
    // readDrives, then selects InitialDirectory when it exists, else the current directory.
    void load();

    // ---- the program's operations
    std::string SelectedDir() const;  // node form, or "?" when nothing is selected
    Status GoToDir(std::string_view path);
    // Selects the folder when the tree already holds it, making it visible, without
    // asking the disk (the folder was just shown by a window, so it is known to be
    // there). False when the tree does not hold it: GoToDir reads the path then.
    bool selectLoaded(std::string_view path);
    std::string DropTargetDir() const;
    void setDropTarget(TreeNode* node) { dropTarget_ = node; }
    TreeNode* FindNode(std::string_view path) const;  // never reads the disk
    std::string NodePath(const TreeNode* node) const;
    void RefreshTree();
    void RefreshNode(TreeNode* node);
    void AddDirPath(std::string_view path);
    void AddSubdir(std::string_view parentPath, std::string_view name, int32_t tag = 0);
    void DeleteDir(std::string_view path);
    Status RenameDir(std::string_view oldPath, std::string_view newName);
    int CountVisible() const;
    std::string GetDisplayPath(std::string_view path) const;
    std::string GetLongPath(std::string_view path) const;
    // Caption of the volume mounted at mountPoint and its serial (kUnreadableSerial
    // when unreadable); records the serial as the volume's last known one.
    std::string GetDriveLabel(std::string_view mountPoint, uint32_t& serial);
    uint32_t GetDriveSerial(std::string_view mountPoint);
    // The volume mounted at mountPoint got a new label: its record and caption follow,
    // nothing is re-read. False when no volume node has that mount point.
    bool setVolumeLabel(std::string_view mountPoint, const std::string& label);

    // ---- what a view drives
    TreeNode* selected() const { return selected_; }
    // The selection moves to node: checks the medium of its volume, records the
    // folder as the volume's last one, raises OnChange. Selecting the node that is
    // already selected changes nothing and raises nothing.
    void select(TreeNode* node);
    // Whether the volume holding node is still there: its mount point is a folder (for
    // a network volume: it answers in time).
    bool volumePresent(const TreeNode* node);
    // Whether node's folder still exists on disk (false for an unreachable network volume).
    bool folderExists(const TreeNode* node) { return node && pathExists(NodePath(node)); }
    // A click on the selected node: re-reads its volume when the medium changed.
    void click();
    // Before a node expands: reads its children if needed and checks each child for
    // subfolders.
    void expandNode(TreeNode* node);
    // Whether expandNode still has work to do for node.
    bool needsExpandWork(const TreeNode* node) const;
    // The same work in two halves, for a reader on another thread: the query to read
    // with (none while hooks are set: they belong to this thread, expand in place),
    // then the answer. applyExpansion drops an answer that no longer fits (the node
    // was renamed or read meanwhile) and returns whether it was applied.
    std::optional<ExpansionQuery> expansionQuery(const TreeNode* node) const;
    bool applyExpansion(TreeNode* node, const ExpansionQuery& query, ExpansionRead read);
    // The view expanded or collapsed node (no notification back).
    void setExpanded(TreeNode* node, bool expanded);
    // A change of the mount table: checks the volumes, then, when none came or went,
    // the media. Returns whether anything changed.
    bool deviceChanged();
    bool checkDrives();
    void checkMedia();
    // Volumes whose reading did not answer in time (a slow or dead mount) are shown
    // unreadable; asking again, which never waits on one still stuck, shows each
    // that has answered meanwhile as it is. Returns whether any changed.
    bool hasUnansweredVolumes() const { return !unanswered_.empty(); }
    bool recheckUnansweredVolumes();

    // Expanding by levels. collapseAll: node expanded then collapsed with every descendant.
    void collapseAll(TreeNode* node);
    // Expands node and its descendants down to `levels` levels below it (levels < 0:
    // everything). Never enters links, pseudo file systems or a folder already entered
    // (a bind-mount loop). Returns the number of nodes expanded.
    int expandLevels(TreeNode* node, int levels, const CancelToken* cancel = nullptr);

    // ---- structure for views and tests
    const std::vector<std::unique_ptr<TreeNode>>& roots() const { return roots_; }
    // Volume node text: the caption; folder node text: the name.
    std::string nodeText(const TreeNode* node) const;
    const Volume* volumeOfNode(const TreeNode* node) const;
    // Empty when the tree is consistent; otherwise one line per fault found.
    std::vector<std::string> checkConsistency() const;

private:
    struct Candidate;

    bool passesFolderFilter(const std::string& nodePath, std::string_view volumeRoot) const;
    bool isHiddenVolumeMount(const std::string& parentPath, std::string_view name) const;
    uint32_t attributesOf(const std::string& path, std::string_view name) const;
    ExpansionQuery queryFor(const TreeNode* node) const;

    std::vector<Candidate> enumerate(TreeNode* node, const DirHandle* dir, bool stopAtFirst) const;
    void readChildren(TreeNode* node, const DirHandle* dir = nullptr);
    void insertChildren(TreeNode* node, std::vector<Candidate> found);
    void checkSubfolders(TreeNode* node, const DirHandle* parentDir = nullptr);
    void setPlaceholder(TreeNode* node, bool on);
    bool removeChildren(TreeNode* node);  // true when the selection was inside and moved up
    void addVolumeNode(const Volume& volume, const VolumeState& state, size_t at);
    void removeVolumeNode(size_t index);
    bool removeNode(TreeNode* node);  // true when the selection was inside and moved up
    TreeNode* findChild(const TreeNode* parent, std::string_view name) const;
    Result<DirHandle> openNode(const TreeNode* node) const;
    void expandNodeWith(TreeNode* node, const DirHandle& dir);
    void setExpandedNotify(TreeNode* node, bool expanded);
    void notifyBeginInsert(TreeNode* parent, int first, int last);
    void notifyEndInsert();
    void notifyBeginRemove(TreeNode* parent, int first, int last);
    void notifyEndRemove();
    // Display order of names: the file lists' collation, ties broken by the bytes.
    std::string sortKey(std::string_view name) const;
    TreeNode* insertChildSorted(TreeNode* parent, std::string name, int32_t tag, bool link);
    void sortChildren(TreeNode* parent);
    void renumber(TreeNode* parent, size_t from);
    void forgetNode(TreeNode* node);  // OnDeleteItem and dangling pointers, for a subtree
    void refreshVolume(size_t index, const VolumeState& state);
    void noteAnswer(const std::string& mountPoint, const VolumeState& state);
    void rebuildVolumeParents(const std::vector<Volume>& shown);
    Volume& volumeAt(size_t index) const { return roots_[index]->volume_->volume; }
    std::vector<Volume> shownVolumes() const;
    void collapseSubtree(TreeNode* node);
    // The selection-changed steps for node, whether or not it was selected before.
    void selectionChangedTo(TreeNode* node);
    TreeNode* volumeNodeFor(std::string_view nodePath) const;
    size_t volumeIndex(const TreeNode* volumeNode) const { return volumeNode->row_; }
    std::vector<Volume> filteredVolumes();
    bool pathExists(const std::string& nodePath);
    // False for a node on a network volume that does not answer in time: nothing on it
    // is opened, so a dead server cannot freeze the tree.
    bool reachable(const TreeNode* node);

    VolumeSource* volumeSource_;
    std::unique_ptr<VolumeSource> ownVolumeSource_;
    TreeObserver* observer_ = nullptr;

    std::vector<std::unique_ptr<TreeNode>> roots_;  // the volume nodes, each with its record
    std::vector<std::string> driveMask_;            // mount points of the last volume check, after DriveTypes
    bool resetting_ = false;
    // DriveDirs and DriveSerials, keyed by mount point.
    std::map<std::string, std::string> driveDirs_;
    std::map<std::string, uint32_t> driveSerials_;
    std::set<std::string> unanswered_;  // mount points whose last probe timed out
    // Folders (node form) that hold a volume's mount point, with those names: the
    // mount point is listed once, as a volume, never again inside its parent.
    std::map<std::string, std::vector<std::string>> volumeParents_;
    TreeNode* selected_ = nullptr;
    TreeNode* dropTarget_ = nullptr;
    int changeLock_ = 0;

    TDirTypes dirTypes_ = dtNormal | dtAll;
    bool goBelowRecycleBin_ = true;
    bool fastLoad_ = false;
    TDriveTypes driveTypes_ = kAllDriveTypes;
    std::string initialDirectory_;
    std::string currentDirectory_;
    TrashPlaces trash_;
    lists::NameCollator collator_;
};

}  // namespace arbel::tree

#include "core/tree/dir_tree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <utility>

#include "platform/paths.h"

namespace arbel::tree {

struct TDirTree::Candidate {
    std::string name;
    int32_t tag = 0;
    bool link = false;
};

namespace {

bool isAncestorOrSelf(const TreeNode* ancestor, const TreeNode* node) {
    for (; node; node = node->parent())
        if (node == ancestor) return true;
    return false;
}

const TreeNode* rootOf(const TreeNode* node) {
    while (node && node->parent()) node = node->parent();
    return node;
}

std::string mountNodeForm(const std::string& mountPoint) {
    return mountPoint == "/" ? "/" : mountPoint + "/";
}

}  // namespace

AttributeFilter treeAttributeFilter(TDirTypes types) {
    AttributeFilter f;
    f.all = types & dtAll;
    f.checked = kAttrHidden | kAttrSystem | kAttrArchive;
    if (types & dtHidden) f.allowed |= kAttrHidden;
    if (types & dtSystem) f.allowed |= kAttrSystem;
    if (types & dtArchive) f.allowed |= kAttrArchive;
    f.plainAllowed = types & dtNormal;
    return f;
}

TDirTree::TDirTree(VolumeSource* volumes) : volumeSource_(volumes) {
    if (!volumeSource_) {
        ownVolumeSource_ = std::make_unique<SystemVolumeSource>();
        volumeSource_ = ownVolumeSource_.get();
    }
    trash_ = TrashPlaces::system();
    char buf[4096];
    if (::getcwd(buf, sizeof buf)) currentDirectory_ = buf;
    initialDirectory_ = homeFolder();
    if (initialDirectory_.empty()) initialDirectory_ = "/";
}

TDirTree::~TDirTree() = default;

std::string TDirTree::sortKey(std::string_view name) const {
    std::string key;
    collator_.appendKey(name, key);
    return key;
}

// ---------------------------------------------------------------- notifications

void TDirTree::notifyBeginInsert(TreeNode* parent, int first, int last) {
    if (observer_ && !resetting_) observer_->beginInsertRows(parent, first, last);
}
void TDirTree::notifyEndInsert() {
    if (observer_ && !resetting_) observer_->endInsertRows();
}
void TDirTree::notifyBeginRemove(TreeNode* parent, int first, int last) {
    if (observer_ && !resetting_) observer_->beginRemoveRows(parent, first, last);
}
void TDirTree::notifyEndRemove() {
    if (observer_ && !resetting_) observer_->endRemoveRows();
}

void TDirTree::setExpandedNotify(TreeNode* node, bool expanded) {
    if (!node || node->expanded_ == expanded) return;
    node->expanded_ = expanded;
    if (observer_ && !resetting_) observer_->expandedChanged(node, expanded);
}

// ---------------------------------------------------------------- properties

void TDirTree::setDirTypes(TDirTypes types) {
    if (types == dirTypes_) return;
    dirTypes_ = types;
    if (!roots_.empty()) RefreshTree();
}

void TDirTree::setGoBelowRecycleBin(bool on) {
    if (on == goBelowRecycleBin_) return;
    goBelowRecycleBin_ = on;
    if (!roots_.empty()) RefreshTree();
}

void TDirTree::setDriveTypes(TDriveTypes types) {
    if (types == driveTypes_) return;
    driveTypes_ = types;
    if (!roots_.empty() || !driveMask_.empty()) checkDrives();
}

// ---------------------------------------------------------------- paths

std::string TDirTree::NodePath(const TreeNode* node) const {
    if (!node) return {};
    const TreeNode* chain[256];
    std::vector<const TreeNode*> deep;
    size_t n = 0;
    for (const TreeNode* p = node; p->parent_; p = p->parent_) {
        if (n < 256)
            chain[n++] = p;
        else
            deep.push_back(p);
    }
    std::string path = mountNodeForm(rootOf(node)->name_);
    for (auto it = deep.rbegin(); it != deep.rend(); ++it) path.append((*it)->name_).push_back('/');
    while (n > 0) path.append(chain[--n]->name_).push_back('/');
    return path;
}

TreeNode* TDirTree::volumeNodeFor(std::string_view nodePath) const {
    TreeNode* best = nullptr;
    size_t bestLen = 0;
    for (const auto& root : roots_) {
        std::string mp = mountNodeForm(root->name_);
        if (nodePath.substr(0, mp.size()) == mp && mp.size() > bestLen) {
            best = root.get();
            bestLen = mp.size();
        }
    }
    return best;
}

TreeNode* TDirTree::findChild(const TreeNode* parent, std::string_view name) const {
    for (const auto& c : parent->children_)
        if (c->name_ == name) return c.get();
    return nullptr;
}

TreeNode* TDirTree::FindNode(std::string_view path) const {
    std::string p = nodeForm(path);
    if (p.empty()) return nullptr;
    TreeNode* node = volumeNodeFor(p);
    if (!node) return nullptr;
    for (const auto& comp : componentsBelow(p, mountNodeForm(node->name_))) {
        node = findChild(node, comp);
        if (!node) return nullptr;
    }
    return node;
}

std::string TDirTree::SelectedDir() const {
    return selected_ ? NodePath(selected_) : std::string("?");
}

std::string TDirTree::DropTargetDir() const {
    return NodePath(dropTarget_);
}

std::string TDirTree::nodeText(const TreeNode* node) const {
    if (!node) return {};
    if (node->isVolume() && node->row_ < captions_.size()) return captions_[node->row_];
    return node->name_;
}

const Volume* TDirTree::volumeOfNode(const TreeNode* node) const {
    const TreeNode* root = rootOf(node);
    if (!root || root->row_ >= volumes_.size()) return nullptr;
    return &volumes_[root->row_];
}

std::string TDirTree::GetDisplayPath(std::string_view path) const {
    return folderForm(nodeForm(path));
}

std::string TDirTree::GetLongPath(std::string_view path) const {
    // The spelling stored on disk: matters on case-insensitive mounts (vfat, cifs),
    // where "/media/usb/docs" opens the folder stored as "Docs".
    std::string p = nodeForm(path);
    if (p.empty()) return {};
    std::string out = "/";
    auto comps = componentsBelow(p, "/");
    for (size_t i = 0; i < comps.size(); ++i) {
        const std::string& comp = comps[i];
        std::string chosen = comp;
        auto dir = DirHandle::open(out);
        auto st = dir.ok() ? statAt(*dir, comp, false) : Result<struct stat>(Error{});
        if (st.ok()) {
            bool exact = false;
            std::string byInode;
            (void)forEachEntry(*dir, [&](const RawEntry& e) {
                if (e.name == comp) {
                    exact = true;
                    return false;
                }
                if (e.inode == st->st_ino && byInode.empty()) byInode = std::string(e.name);
                return true;
            });
            if (!exact && !byInode.empty()) chosen = byInode;
        }
        out.append(chosen).push_back('/');
        if (!st.ok()) {  // the rest cannot be looked up
            for (size_t k = i + 1; k < comps.size(); ++k) out.append(comps[k]).push_back('/');
            break;
        }
    }
    return folderForm(out);
}

// ---------------------------------------------------------------- filters and enumeration

bool TDirTree::needsChildPaths() const {
    return !goBelowRecycleBin_ || static_cast<bool>(OnAddDir);
}

bool TDirTree::passesFolderFilter(const std::string& nodePath, std::string_view volumeRoot) const {
    if (!goBelowRecycleBin_ && isBelowTrash(nodePath, volumeRoot, trash_)) return false;
    if (OnAddDir && !OnAddDir(nodePath)) return false;
    return true;
}

bool TDirTree::isHiddenVolumeMount(const std::string& parentPath, std::string_view name) const {
    auto it = volumeParents_.find(parentPath);
    if (it == volumeParents_.end()) return false;
    return std::find(it->second.begin(), it->second.end(), name) != it->second.end();
}

uint32_t TDirTree::attributesOf(const std::string& path, std::string_view name) const {
    const std::string full = path + std::string(name);
    struct stat st {};
    if (::lstat(full.c_str(), &st) != 0) st.st_mode = S_IFDIR | S_IWUSR;  // gone: a plain folder
    return arbel::attributesOf(st, name, readDosAttrib(full).bits) | kAttrDirectory;
}

std::vector<TDirTree::Candidate> TDirTree::enumerate(TreeNode* node, const DirHandle* dir,
                                                     bool stopAtFirst) const {
    std::vector<Candidate> out;
    const std::string path = NodePath(node);
    const std::string volumeRoot = mountNodeForm(rootOf(node)->name_);
    const bool childPaths = needsChildPaths();
    const bool holdsMounts = volumeParents_.count(path) > 0;
    const AttributeFilter filter = treeAttributeFilter(dirTypes_);

    auto accept = [&](std::string_view name, uint32_t attr, bool haveAttr) {
        if (holdsMounts && isHiddenVolumeMount(path, name)) return false;
        if (childPaths) {
            std::string child = path;
            child.append(name).push_back('/');
            if (!passesFolderFilter(child, volumeRoot)) return false;
        }
        if (!(dirTypes_ & dtAll)) {
            if (!haveAttr) attr = attributesOf(path, name);
            if (!passesAttributeFilter(attr, filter)) return false;
        }
        return true;
    };

    if (OnFindDir) {
        TDirRec rec;
        rec.Tag = node->tag_;
        int result = 0;
        for (bool first = true;; first = false) {
            rec.Attr = 0;
            rec.Name.clear();
            OnFindDir(path, rec, result, first);
            if (result != 0) break;
            if (!(rec.Attr & kAttrDirectory) || rec.Name.empty() || rec.Name == "." || rec.Name == "..")
                continue;
            if (rec.Name.find('/') != std::string::npos) continue;
            if (!accept(rec.Name, rec.Attr, true)) continue;
            out.push_back({rec.Name, rec.Tag, false});
            if (stopAtFirst) break;
        }
        return out;
    }

    DirHandle own;
    if (!dir) {
        auto opened = openNode(node);
        if (!opened.ok()) return out;  // an unreadable folder has no subfolders to show
        own = std::move(*opened);
        dir = &own;
    }
    (void)forEachEntry(*dir, [&](const RawEntry& e) {
        bool isDir = false, link = false;
        EntryType type = e.type;
        if (type == EntryType::Unknown) {
            auto st = statAt(*dir, e.name, false);
            if (!st.ok()) return true;
            type = entryTypeFromMode(st->st_mode);
        }
        if (type == EntryType::Dir) {
            isDir = true;
        } else if (type == EntryType::Link) {
            // A link to a folder is browsed as a folder; only links need the stat.
            auto st = statAt(*dir, e.name, true);
            isDir = link = st.ok() && S_ISDIR(st->st_mode);
        }
        if (!isDir || !accept(e.name, 0, false)) return true;
        out.push_back({std::string(e.name), 0, link});
        return !stopAtFirst;
    });
    return out;
}

Result<DirHandle> TDirTree::openNode(const TreeNode* node) const {
    return DirHandle::open(NodePath(node));
}

// ---------------------------------------------------------------- structure changes

void TDirTree::renumber(TreeNode* parent, size_t from) {
    auto& list = parent ? parent->children_ : roots_;
    for (size_t i = from; i < list.size(); ++i) list[i]->row_ = uint32_t(i);
}

void TDirTree::forgetNode(TreeNode* node) {
    std::vector<TreeNode*> stack{node};
    while (!stack.empty()) {
        TreeNode* n = stack.back();
        stack.pop_back();
        if (n == dropTarget_) dropTarget_ = nullptr;
        for (auto& c : n->children_) stack.push_back(c.get());
        if (OnDeleteItem) OnDeleteItem(n);
    }
}

void TDirTree::setPlaceholder(TreeNode* node, bool on) {
    if (node->placeholder_ == on) return;
    if (on) {
        if (!node->children_.empty() || node->scanned_) return;
        notifyBeginInsert(node, 0, 0);
        node->placeholder_ = true;
        notifyEndInsert();
    } else {
        notifyBeginRemove(node, 0, 0);
        node->placeholder_ = false;
        notifyEndRemove();
    }
}

bool TDirTree::removeChildren(TreeNode* node) {
    setPlaceholder(node, false);
    if (node->children_.empty()) return false;
    bool moved = selected_ && selected_ != node && isAncestorOrSelf(node, selected_);
    notifyBeginRemove(node, 0, int(node->children_.size()) - 1);
    for (auto& c : node->children_) forgetNode(c.get());
    node->children_.clear();
    if (moved) selected_ = node;
    notifyEndRemove();
    if (moved && observer_ && !resetting_) observer_->selectionChanged(node);
    return moved;
}

bool TDirTree::removeNode(TreeNode* node) {
    TreeNode* parent = node->parent_;
    bool moved = selected_ && isAncestorOrSelf(node, selected_);
    size_t row = node->row_;
    notifyBeginRemove(parent, int(row), int(row));
    forgetNode(node);
    if (moved) selected_ = parent;
    auto& list = parent->children_;
    list.erase(list.begin() + long(row));
    renumber(parent, row);
    notifyEndRemove();
    if (moved && observer_ && !resetting_) observer_->selectionChanged(parent);
    return moved;
}

TreeNode* TDirTree::insertChildSorted(TreeNode* parent, std::string name, int32_t tag, bool link) {
    setPlaceholder(parent, false);
    auto& list = parent->children_;
    std::string key = sortKey(name);
    size_t lo = 0, hi = list.size();
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        std::string mk = sortKey(list[mid]->name_);
        bool before = mk < key || (mk == key && list[mid]->name_ < name);
        if (before)
            lo = mid + 1;
        else
            hi = mid;
    }
    auto node = std::make_unique<TreeNode>();
    node->name_ = std::move(name);
    node->parent_ = parent;
    node->tag_ = tag;
    node->link_ = link;
    TreeNode* raw = node.get();
    notifyBeginInsert(parent, int(lo), int(lo));
    list.insert(list.begin() + long(lo), std::move(node));
    renumber(parent, lo);
    notifyEndInsert();
    return raw;
}

void TDirTree::sortChildren(TreeNode* parent) {
    auto& list = parent->children_;
    std::vector<std::pair<std::string, TreeNode*>> keyed;
    keyed.reserve(list.size());
    for (auto& c : list) keyed.emplace_back(sortKey(c->name_), c.get());
    auto less = [](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return a.second->name_ < b.second->name_;
    };
    if (std::is_sorted(keyed.begin(), keyed.end(), less)) return;
    if (observer_ && !resetting_) observer_->beginReorder(parent);
    std::stable_sort(keyed.begin(), keyed.end(), less);
    std::vector<std::unique_ptr<TreeNode>> sorted;
    sorted.reserve(list.size());
    for (auto& [key, node] : keyed) sorted.push_back(std::move(list[node->row_]));
    list = std::move(sorted);
    renumber(parent, 0);
    if (observer_ && !resetting_) observer_->endReorder(parent);
}

void TDirTree::readChildren(TreeNode* node, const DirHandle* dir) {
    removeChildren(node);
    node->scanned_ = true;
    node->childrenChecked_ = false;
    auto found = enumerate(node, dir, false);
    if (found.empty()) return;
    // Sorted once with precomputed keys: inserting one by one costs O(n^2) on big folders.
    std::vector<std::pair<std::string, size_t>> keyed;
    keyed.reserve(found.size());
    for (size_t i = 0; i < found.size(); ++i) keyed.emplace_back(sortKey(found[i].name), i);
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return found[a.second].name < found[b.second].name;
    });
    notifyBeginInsert(node, 0, int(found.size()) - 1);
    node->children_.reserve(found.size());
    for (auto& [key, i] : keyed) {
        auto child = std::make_unique<TreeNode>();
        child->name_ = std::move(found[i].name);
        child->parent_ = node;
        child->tag_ = found[i].tag;
        child->link_ = found[i].link;
        child->row_ = uint32_t(node->children_.size());
        node->children_.push_back(std::move(child));
    }
    notifyEndInsert();
}

void TDirTree::checkSubfolders(TreeNode* node, const DirHandle* parentDir) {
    if (node->scanned_ || node->placeholder_ || !node->children_.empty()) return;
    if (node->link_) {
        // Checking would mean following the link; assume subfolders, read on expansion.
        setPlaceholder(node, true);
        return;
    }
    if (OnFindDir) {
        if (!enumerate(node, nullptr, true).empty()) setPlaceholder(node, true);
        return;
    }
    if (!(parentDir && !node->isVolume()) && !reachable(node)) return;
    auto dir = parentDir && !node->isVolume() ? parentDir->openChild(node->name_) : openNode(node);
    if (!dir.ok()) return;
    if (!enumerate(node, &*dir, true).empty()) setPlaceholder(node, true);
}

bool TDirTree::needsExpandWork(const TreeNode* node) const {
    return node && (!node->scanned_ || !node->childrenChecked_);
}

void TDirTree::expandNodeWith(TreeNode* node, const DirHandle& dir) {
    if (!node->scanned_) readChildren(node, OnFindDir ? nullptr : &dir);
    if (!node->childrenChecked_) {
        for (auto& c : node->children_) checkSubfolders(c.get(), OnFindDir ? nullptr : &dir);
        node->childrenChecked_ = true;
    }
}

bool TDirTree::reachable(const TreeNode* node) {
    const Volume* v = volumeOfNode(node);
    if (!v || v->type != DriveType::Remote) return true;
    return volumeSource_->probe({*v}).front().readable;
}

bool TDirTree::volumePresent(const TreeNode* node) {
    const Volume* v = volumeOfNode(node);
    if (!v) return false;
    if (v->type == DriveType::Remote) return reachable(node);
    auto st = statPath(v->mountPoint, true);
    return st.ok() && S_ISDIR(st->st_mode);
}

void TDirTree::expandNode(TreeNode* node) {
    if (!needsExpandWork(node)) return;
    auto dir = reachable(node) ? openNode(node) : Result<DirHandle>(Error{NodePath(node), EHOSTDOWN, ""});
    if (!dir.ok()) {
        // Unreadable: it has no subfolders to show; the placeholder goes.
        if (!node->scanned_) {
            removeChildren(node);
            node->scanned_ = true;
        }
        node->childrenChecked_ = true;
        return;
    }
    expandNodeWith(node, *dir);
}

void TDirTree::setExpanded(TreeNode* node, bool expanded) {
    if (node) node->expanded_ = expanded;
}

// ---------------------------------------------------------------- volumes

std::vector<Volume> TDirTree::filteredVolumes() {
    std::vector<Volume> out;
    for (auto& v : volumeSource_->list()) {
        if (v.mountPoint.empty() || v.mountPoint[0] != '/') continue;
        if (driveTypes_ & driveTypeBit(v.type)) out.push_back(std::move(v));
    }
    // Ordered as the nodes are compared (node form), so later insertions agree.
    std::stable_sort(out.begin(), out.end(), [](const Volume& a, const Volume& b) {
        return mountNodeForm(a.mountPoint) < mountNodeForm(b.mountPoint);
    });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const Volume& a, const Volume& b) { return a.mountPoint == b.mountPoint; }),
              out.end());
    return out;
}

void TDirTree::rebuildVolumeParents() {
    volumeParents_.clear();
    for (const auto& v : volumes_) {
        if (v.mountPoint == "/") continue;
        std::string nf = mountNodeForm(v.mountPoint);
        std::string parent = nf.substr(0, nf.rfind('/', nf.size() - 2) + 1);
        std::string name = nf.substr(parent.size(), nf.size() - parent.size() - 1);
        volumeParents_[parent].push_back(name);
    }
}

void TDirTree::addVolumeNode(const Volume& volume, const VolumeState& state, size_t at) {
    auto node = std::make_unique<TreeNode>();
    node->name_ = volume.mountPoint;
    TreeNode* raw = node.get();
    notifyBeginInsert(nullptr, int(at), int(at));
    roots_.insert(roots_.begin() + long(at), std::move(node));
    volumes_.insert(volumes_.begin() + long(at), volume);
    captions_.insert(captions_.begin() + long(at), volumeCaption(volume, state.readable));
    renumber(nullptr, at);
    notifyEndInsert();
    driveSerials_[volume.mountPoint] = state.serial;
    driveDirs_.emplace(volume.mountPoint, mountNodeForm(volume.mountPoint));
    // Local disks are checked for subfolders; removable media, optical discs and
    // anything under FastLoad only get a placeholder, so they are not touched.
    bool check = !fastLoad_ && state.readable &&
                 (volume.type == DriveType::Fixed || volume.type == DriveType::Remote ||
                  volume.type == DriveType::RamDisk);
    if (check)
        checkSubfolders(raw);
    else
        setPlaceholder(raw, true);
}

void TDirTree::removeVolumeNode(size_t index) {
    TreeNode* node = roots_[index].get();
    bool moved = selected_ && isAncestorOrSelf(node, selected_);
    notifyBeginRemove(nullptr, int(index), int(index));
    forgetNode(node);
    if (moved) selected_ = nullptr;
    roots_.erase(roots_.begin() + long(index));
    volumes_.erase(volumes_.begin() + long(index));
    captions_.erase(captions_.begin() + long(index));
    renumber(nullptr, index);
    notifyEndRemove();
    if (moved && observer_ && !resetting_) observer_->selectionChanged(nullptr);
}

void TDirTree::refreshVolume(size_t index, const VolumeState& state) {
    TreeNode* node = roots_[index].get();
    bool moved = removeChildren(node);
    node->scanned_ = false;
    node->childrenChecked_ = false;
    setExpandedNotify(node, false);
    captions_[index] = volumeCaption(volumes_[index], state.readable);
    driveSerials_[volumes_[index].mountPoint] = state.serial;
    if (observer_ && !resetting_) observer_->nodeChanged(node);
    if (state.readable) setPlaceholder(node, true);
    (void)moved;
}

std::string TDirTree::GetDriveLabel(std::string_view mountPoint, uint32_t& serial) {
    std::string mp = folderForm(mountPoint);
    const Volume* vol = nullptr;
    for (const auto& v : volumes_)
        if (v.mountPoint == mp) vol = &v;
    std::vector<Volume> all;
    if (!vol) {
        all = volumeSource_->list();
        for (const auto& v : all)
            if (v.mountPoint == mp) vol = &v;
    }
    if (!vol) {
        serial = kUnreadableSerial;
        return "(" + mp + ")";
    }
    VolumeState state = volumeSource_->probe({*vol}).front();
    serial = state.serial;
    return volumeCaption(*vol, state.readable);
}

uint32_t TDirTree::GetDriveSerial(std::string_view mountPoint) {
    uint32_t serial = kUnreadableSerial;
    (void)GetDriveLabel(mountPoint, serial);
    return serial;
}

void TDirTree::readDrives() {
    --changeLock_;
    if (observer_) observer_->beginReset();
    resetting_ = true;
    for (auto& r : roots_) forgetNode(r.get());
    roots_.clear();
    volumes_.clear();
    captions_.clear();
    selected_ = nullptr;
    dropTarget_ = nullptr;

    auto vols = filteredVolumes();
    driveMask_.clear();
    for (const auto& v : vols) driveMask_.push_back(v.mountPoint);
    std::vector<Volume> shown;
    for (auto& v : vols)
        if (passesFolderFilter(mountNodeForm(v.mountPoint), mountNodeForm(v.mountPoint))) shown.push_back(v);
    // Mount points must be known before any folder is read, so none is listed twice.
    volumes_ = shown;
    rebuildVolumeParents();
    volumes_.clear();
    auto states = volumeSource_->probe(shown);
    for (size_t i = 0; i < shown.size(); ++i) addVolumeNode(shown[i], states[i], roots_.size());

    resetting_ = false;
    if (observer_) observer_->endReset();
    ++changeLock_;
}

bool TDirTree::checkDrives() {
    --changeLock_;
    bool changed = false;
    auto now = filteredVolumes();
    auto inList = [](const std::vector<std::string>& list, const std::string& mp) {
        return std::find(list.begin(), list.end(), mp) != list.end();
    };
    std::vector<std::string> nowPoints;
    for (const auto& v : now) nowPoints.push_back(v.mountPoint);

    std::vector<std::string> gone;
    for (const auto& mp : driveMask_) {
        if (inList(nowPoints, mp)) continue;
        changed = true;
        gone.push_back(mp);
        for (size_t i = 0; i < volumes_.size(); ++i) {
            if (volumes_[i].mountPoint != mp) continue;
            removeVolumeNode(i);
            break;
        }
    }
    std::vector<std::pair<Volume, bool>> added;
    for (const auto& v : now) {
        if (inList(driveMask_, v.mountPoint)) {
            for (auto& known : volumes_)  // same place, maybe remounted: keep the record fresh
                if (known.mountPoint == v.mountPoint) known = v;
            continue;
        }
        changed = true;
        if (passesFolderFilter(mountNodeForm(v.mountPoint), mountNodeForm(v.mountPoint)))
            added.push_back({v, true});
    }
    driveMask_ = nowPoints;

    for (auto& [v, unused] : added) {
        // The folder may be in the tree already, listed in its parent before the mount.
        if (TreeNode* old = FindNode(v.mountPoint);
            old && !old->isVolume() && NodePath(old) == mountNodeForm(v.mountPoint))
            removeNode(old);
        std::string key = mountNodeForm(v.mountPoint);
        size_t at = roots_.size();
        for (size_t i = 0; i < roots_.size(); ++i) {
            if (mountNodeForm(roots_[i]->name_) > key) {
                at = i;
                break;
            }
        }
        VolumeState state = volumeSource_->probe({v}).front();
        addVolumeNode(v, state, at);
    }
    rebuildVolumeParents();
    // A mount point that went away is an ordinary folder again in its parent.
    for (const auto& mp : gone) {
        if (mp == "/") continue;
        std::string nf = mountNodeForm(mp);
        std::string parentPath = nf.substr(0, nf.rfind('/', nf.size() - 2) + 1);
        TreeNode* parent = FindNode(parentPath);
        std::string name = nf.substr(parentPath.size(), nf.size() - parentPath.size() - 1);
        if (!parent || !parent->scanned_ || findChild(parent, name)) continue;
        auto st = statPath(nf, false);
        if (st.ok() && S_ISDIR(st->st_mode)) checkSubfolders(insertChildSorted(parent, name, 0, false));
    }
    ++changeLock_;
    if (changed && selected_) selectionChangedTo(selected_);
    return changed;
}

void TDirTree::checkMedia() {
    auto states = volumeSource_->probe(volumes_);
    for (size_t i = volumes_.size(); i-- > 0;) {
        auto it = driveSerials_.find(volumes_[i].mountPoint);
        uint32_t known = it == driveSerials_.end() ? 0 : it->second;
        if (states[i].serial == known) continue;
        refreshVolume(i, states[i]);
        return;
    }
}

bool TDirTree::deviceChanged() {
    --changeLock_;
    bool changed = checkDrives();
    if (!changed) checkMedia();
    ++changeLock_;
    if (selected_) selectionChangedTo(selected_);
    return changed;
}

// ---------------------------------------------------------------- selection

void TDirTree::select(TreeNode* node) {
    if (node == selected_) return;
    selectionChangedTo(node);
}

void TDirTree::selectionChangedTo(TreeNode* node) {
    selected_ = node;
    if (observer_ && !resetting_) observer_->selectionChanged(node);
    if (changeLock_ != 0 || !node) return;
    const TreeNode* root = rootOf(node);
    size_t index = root->row_;
    const std::string mp = volumes_[index].mountPoint;
    VolumeState state = volumeSource_->probe({volumes_[index]}).front();
    auto known = driveSerials_.find(mp);
    if (known == driveSerials_.end() || known->second != state.serial) {
        // The medium changed, or became readable or unreadable: the volume's folders
        // are re-read from scratch and the volume node stands for the selection.
        refreshVolume(index, state);
        node = roots_[index].get();
        if (selected_ != node) {
            selected_ = node;
            if (observer_) observer_->selectionChanged(node);
        }
    }
    driveDirs_[mp] = NodePath(node);
    if (OnChange) OnChange(node);
}

void TDirTree::click() {
    if (!selected_) return;
    const Volume* v = volumeOfNode(selected_);
    if (!v) return;
    auto known = driveSerials_.find(v->mountPoint);
    if (known == driveSerials_.end() || GetDriveSerial(v->mountPoint) != known->second)
        selectionChangedTo(selected_);
}

// ---------------------------------------------------------------- the program's operations

bool TDirTree::pathExists(const std::string& nodePath) {
    if (const Volume* v = volumeOf(volumes_, folderForm(nodePath))) {
        if (v->type == DriveType::Remote || v->type == DriveType::Unknown) {
            if (!volumeSource_->probe({*v}).front().readable) return false;  // unreachable: never block on it
        }
    }
    auto st = statPath(nodePath, true);
    return st.ok() && S_ISDIR(st->st_mode);
}

Status TDirTree::GoToDir(std::string_view path) {
    if (path.empty()) return Error{"", 0, kInvalidPathName};
    if (path == "?") return {};
    std::string p = nodeForm(path);
    if (p.empty() || !pathExists(p)) {
        TreeNode* fallback = volumeNodeFor(nodeForm(currentDirectory_));
        if (!fallback && !roots_.empty()) fallback = roots_.front().get();
        if (!fallback) return {};
        p = NodePath(fallback);
    }
    TreeNode* node = volumeNodeFor(p);
    if (!node) return {};
    if (!node->scanned_) readChildren(node);
    for (const auto& comp : componentsBelow(p, mountNodeForm(node->name_))) {
        TreeNode* child = findChild(node, comp);
        if (!child) return {};  // not shown (filtered, or gone): the selection stays
        node = child;
        if (!node->scanned_) readChildren(node);
    }
    // Made visible: every ancestor expands, which checks its children for subfolders.
    std::vector<TreeNode*> ancestors;
    for (TreeNode* a = node->parent_; a; a = a->parent_) ancestors.push_back(a);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        expandNode(*it);
        setExpandedNotify(*it, true);
    }
    select(node);
    return {};
}

void TDirTree::load() {
    readDrives();
    std::string start = initialDirectory_;
    if (start.empty() || !pathExists(nodeForm(start))) start = currentDirectory_;
    if (!start.empty()) (void)GoToDir(start);
}

void TDirTree::RefreshTree() {
    std::string remembered = SelectedDir();
    readDrives();
    (void)GoToDir(remembered);
    if (!roots_.empty() && !selected_ && remembered != "?") {
        if (TreeNode* vol = volumeNodeFor(nodeForm(remembered))) (void)GoToDir(NodePath(vol));
    }
    if (!selected_ && !roots_.empty()) {
        // The first volume that was read, or the last one.
        size_t i = 0;
        auto unread = [&](const TreeNode* r) {
            return r->placeholder_ || (!r->children_.empty() && !r->children_.front()->scanned_);
        };
        while (i + 1 < roots_.size() && unread(roots_[i].get())) ++i;
        const std::string mp = roots_[i]->name_;
        auto it = driveDirs_.find(mp);
        std::string target = it == driveDirs_.end() ? mountNodeForm(mp) : it->second;
        (void)GoToDir(target);
        if (SelectedDir() != target) selectionChangedTo(roots_[i].get());
    }
}

void TDirTree::RefreshNode(TreeNode* node) {
    if (!node) return;
    bool moved = removeChildren(node);
    node->scanned_ = false;
    node->childrenChecked_ = false;
    setExpandedNotify(node, false);
    checkSubfolders(node);
    if (moved) selectionChangedTo(node);
}

void TDirTree::AddDirPath(std::string_view path) {
    std::string p = nodeForm(path);
    if (p.empty()) return;
    TreeNode* parent = volumeNodeFor(p);
    if (!parent) return;
    std::string sofar = NodePath(parent);
    for (const auto& comp : componentsBelow(p, sofar)) {
        sofar.append(comp).push_back('/');
        TreeNode* child = findChild(parent, comp);
        if (!child) {
            auto st = statPath(sofar, true);
            if (!st.ok() || !S_ISDIR(st->st_mode)) return;  // nothing there to show
            child = insertChildSorted(parent, comp, 0, false);
        }
        checkSubfolders(child);
        parent = child;
    }
}

void TDirTree::AddSubdir(std::string_view parentPath, std::string_view name, int32_t tag) {
    TreeNode* parent = FindNode(parentPath);
    if (!parent || !isValidName(name)) return;
    TreeNode* child = findChild(parent, name);
    if (!child) child = insertChildSorted(parent, std::string(name), tag, false);
    checkSubfolders(child);
}

void TDirTree::DeleteDir(std::string_view path) {
    TreeNode* node = FindNode(path);
    if (!node) return;
    if (node->isVolume()) {
        removeVolumeNode(node->row_);
        return;
    }
    TreeNode* parent = node->parent_;
    if (removeNode(node)) selectionChangedTo(parent);
}

Status TDirTree::RenameDir(std::string_view oldPath, std::string_view newName) {
    if (oldPath.empty() || newName.empty()) return Error{std::string(oldPath), 0, kInvalidPathName};
    TreeNode* node = FindNode(oldPath);
    if (!node) return Error{std::string(oldPath), ENOENT, ""};
    if (!isValidName(newName) || node->isVolume()) return Error{std::string(oldPath), EINVAL, ""};
    if (TreeNode* other = findChild(node->parent_, newName); other && other != node)
        return Error{NodePath(other), EEXIST, ""};
    node->name_ = std::string(newName);
    if (observer_) observer_->nodeChanged(node);
    sortChildren(node->parent_);
    // The loaded subtree's paths follow by themselves: nodes hold names, not paths.
    if (selected_ && isAncestorOrSelf(node, selected_)) selectionChangedTo(selected_);
    return {};
}

int TDirTree::CountVisible() const {
    int count = 0;
    std::vector<const TreeNode*> stack;
    for (auto it = roots_.rbegin(); it != roots_.rend(); ++it) stack.push_back(it->get());
    while (!stack.empty()) {
        const TreeNode* n = stack.back();
        stack.pop_back();
        ++count;
        if (!n->expanded_) continue;
        if (n->placeholder_) ++count;
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it) stack.push_back(it->get());
    }
    return count;
}

// ---------------------------------------------------------------- levels

void TDirTree::collapseSubtree(TreeNode* node) {
    std::vector<TreeNode*> stack{node};
    while (!stack.empty()) {
        TreeNode* n = stack.back();
        stack.pop_back();
        setExpandedNotify(n, false);
        for (auto& c : n->children_) stack.push_back(c.get());
    }
}

void TDirTree::collapseAll(TreeNode* node) {
    if (!node) return;
    expandNode(node);
    collapseSubtree(node);
}

int TDirTree::expandLevels(TreeNode* node, int levels, const CancelToken* cancel) {
    if (!node || levels == 0) return 0;
    struct Item {
        TreeNode* node;
        int depth;
        dev_t parentDev;
    };
    std::set<std::pair<dev_t, ino_t>> entered;
    std::vector<Item> stack{{node, 0, 0}};
    int count = 0;
    while (!stack.empty()) {
        if (cancel && cancel->cancelled()) break;
        Item item = stack.back();
        stack.pop_back();
        TreeNode* n = item.node;
        if (n != node && n->link_) continue;  // shown, never entered
        auto dir = openNode(n);
        if (!dir.ok()) {
            expandNode(n);
            continue;
        }
        struct stat st;
        if (::fstat(dir->fd(), &st) != 0) continue;
        if (!entered.insert({st.st_dev, st.st_ino}).second) continue;  // a loop through a bind mount
        if (n != node && st.st_dev != item.parentDev && isPseudoFileSystemAt(dir->fd())) continue;
        expandNodeWith(n, *dir);
        setExpandedNotify(n, true);
        ++count;
        if (levels >= 0 && item.depth + 1 >= levels) continue;
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it)
            stack.push_back({it->get(), item.depth + 1, st.st_dev});
    }
    return count;
}

// ---------------------------------------------------------------- self-check

std::vector<std::string> TDirTree::checkConsistency() const {
    std::vector<std::string> faults;
    auto fault = [&](const TreeNode* n, const std::string& what) {
        faults.push_back(NodePath(n) + ": " + what);
    };
    if (roots_.size() != volumes_.size() || roots_.size() != captions_.size())
        faults.push_back("volume records do not match the volume nodes");
    for (size_t i = 0; i < roots_.size(); ++i) {
        const TreeNode* r = roots_[i].get();
        if (r->parent_ || r->row_ != i) fault(r, "volume node out of place");
        if (i < volumes_.size() && volumes_[i].mountPoint != r->name_)
            fault(r, "volume record of another mount");
        if (i > 0 && !(mountNodeForm(roots_[i - 1]->name_) < mountNodeForm(r->name_)))
            fault(r, "volumes out of order");
    }
    std::vector<const TreeNode*> stack;
    for (const auto& r : roots_) stack.push_back(r.get());
    bool selectedFound = selected_ == nullptr;
    while (!stack.empty()) {
        const TreeNode* n = stack.back();
        stack.pop_back();
        if (n == selected_) selectedFound = true;
        if (n->placeholder_ && (!n->children_.empty() || n->scanned_))
            fault(n, "placeholder beside children");
        std::string prevKey;
        const TreeNode* prev = nullptr;
        for (size_t i = 0; i < n->children_.size(); ++i) {
            const TreeNode* c = n->children_[i].get();
            if (c->parent_ != n || c->row_ != i) fault(c, "wrong parent or row");
            if (!isValidName(c->name_)) fault(c, "invalid name");
            if (isHiddenVolumeMount(NodePath(n), c->name_))
                fault(c, "volume mount point listed in its parent");
            std::string key = sortKey(c->name_);
            if (prev && !(prevKey < key || (prevKey == key && prev->name_ < c->name_)))
                fault(c, "children out of order or duplicated");
            prevKey = std::move(key);
            prev = c;
            stack.push_back(c);
        }
    }
    if (!selectedFound) faults.push_back("the selection is not in the tree");
    return faults;
}

}  // namespace arbel::tree

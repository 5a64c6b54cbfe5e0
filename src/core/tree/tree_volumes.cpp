// The volume nodes: the volume check (which volumes are shown, in node-form order),
// the media check by serial, the captions, and what a change of the mount table does
// to the nodes. Each volume node carries its volume record.
#include "core/tree/dir_tree.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "platform/paths.h"

namespace arbel::tree {

std::vector<Volume> TDirTree::filteredVolumes() {
    std::vector<Volume> out;
    for (auto& v : volumeSource_->list()) {
        if (v.mountPoint.empty() || v.mountPoint[0] != '/') continue;
        if (driveTypes_ & driveTypeBit(v.type)) out.push_back(std::move(v));
    }
    // Ordered as the nodes are compared (node form), so later insertions agree.
    std::stable_sort(out.begin(), out.end(), [](const Volume& a, const Volume& b) {
        return addSlash(a.mountPoint) < addSlash(b.mountPoint);
    });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const Volume& a, const Volume& b) { return a.mountPoint == b.mountPoint; }),
              out.end());
    return out;
}

std::vector<Volume> TDirTree::shownVolumes() const {
    std::vector<Volume> out;
    out.reserve(roots_.size());
    for (const auto& r : roots_) out.push_back(r->volume_->volume);
    return out;
}

void TDirTree::rebuildVolumeParents(const std::vector<Volume>& shown) {
    volumeParents_.clear();
    for (const auto& v : shown) {
        if (v.mountPoint == "/") continue;
        std::string nf = addSlash(v.mountPoint);
        std::string parent = nf.substr(0, nf.rfind('/', nf.size() - 2) + 1);
        std::string name = nf.substr(parent.size(), nf.size() - parent.size() - 1);
        volumeParents_[parent].push_back(name);
    }
}

void TDirTree::addVolumeNode(const Volume& volume, const VolumeState& state, size_t at) {
    auto node = std::make_unique<TreeNode>();
    node->name_ = volume.mountPoint;
    node->volume_ =
        std::make_unique<VolumeRecord>(VolumeRecord{volume, volumeCaption(volume, state.readable)});
    TreeNode* raw = node.get();
    notifyBeginInsert(nullptr, int(at), int(at));
    roots_.insert(roots_.begin() + long(at), std::move(node));
    renumber(nullptr, at);
    notifyEndInsert();
    driveSerials_[volume.mountPoint] = state.serial;
    noteAnswer(volume.mountPoint, state);
    driveDirs_.emplace(volume.mountPoint, addSlash(volume.mountPoint));
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
    bool moved = selected_ && selected_->isWithin(node);
    notifyBeginRemove(nullptr, int(index), int(index));
    forgetNode(node);
    if (moved) selected_ = nullptr;
    roots_.erase(roots_.begin() + long(index));
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
    node->volume_->caption = volumeCaption(node->volume_->volume, state.readable);
    driveSerials_[node->volume_->volume.mountPoint] = state.serial;
    noteAnswer(node->volume_->volume.mountPoint, state);
    if (observer_ && !resetting_) observer_->nodeChanged(node);
    if (state.readable) setPlaceholder(node, true);
    (void)moved;
}

std::string TDirTree::GetDriveLabel(std::string_view mountPoint, uint32_t& serial) {
    std::string mp = folderForm(mountPoint);
    const Volume* vol = nullptr;
    for (const auto& r : roots_)
        if (r->volume_->volume.mountPoint == mp) vol = &r->volume_->volume;
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

bool TDirTree::setVolumeLabel(std::string_view mountPoint, const std::string& label) {
    const std::string mp = folderForm(mountPoint);
    for (const auto& r : roots_) {
        VolumeRecord& rec = *r->volume_;
        if (rec.volume.mountPoint != mp) continue;
        const bool readable = rec.caption != "(" + mp + ")";
        rec.volume.label = label;
        if (rec.volume.type == DriveType::Removable)
            rec.volume.displayName = label.empty() ? baseName(mp) : label;
        rec.caption = volumeCaption(rec.volume, readable);
        if (observer_) observer_->nodeChanged(r.get());
        return true;
    }
    return false;
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
    unanswered_.clear();
    selected_ = nullptr;
    dropTarget_ = nullptr;

    auto vols = filteredVolumes();
    driveMask_.clear();
    for (const auto& v : vols) driveMask_.push_back(v.mountPoint);
    std::vector<Volume> shown;
    for (auto& v : vols)
        if (passesFolderFilter(addSlash(v.mountPoint), addSlash(v.mountPoint))) shown.push_back(v);
    // Mount points must be known before any folder is read, so none is listed twice.
    rebuildVolumeParents(shown);
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
        for (size_t i = 0; i < roots_.size(); ++i) {
            if (volumeAt(i).mountPoint != mp) continue;
            removeVolumeNode(i);
            break;
        }
    }
    std::vector<std::pair<Volume, bool>> added;
    for (const auto& v : now) {
        if (inList(driveMask_, v.mountPoint)) {
            for (auto& r : roots_)  // same place, maybe remounted: keep the record fresh
                if (r->volume_->volume.mountPoint == v.mountPoint) r->volume_->volume = v;
            continue;
        }
        changed = true;
        if (passesFolderFilter(addSlash(v.mountPoint), addSlash(v.mountPoint))) added.push_back({v, true});
    }
    driveMask_ = nowPoints;

    for (auto& [v, unused] : added) {
        // The folder may be in the tree already, listed in its parent before the mount.
        if (TreeNode* old = FindNode(v.mountPoint);
            old && !old->isVolume() && NodePath(old) == addSlash(v.mountPoint))
            removeNode(old);
        std::string key = addSlash(v.mountPoint);
        size_t at = roots_.size();
        for (size_t i = 0; i < roots_.size(); ++i) {
            if (addSlash(roots_[i]->name_) > key) {
                at = i;
                break;
            }
        }
        VolumeState state = volumeSource_->probe({v}).front();
        addVolumeNode(v, state, at);
    }
    rebuildVolumeParents(shownVolumes());
    // A mount point that went away is an ordinary folder again in its parent.
    for (const auto& mp : gone) {
        if (mp == "/") continue;
        std::string nf = addSlash(mp);
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
    auto states = volumeSource_->probe(shownVolumes());
    for (size_t i = roots_.size(); i-- > 0;) {
        auto it = driveSerials_.find(volumeAt(i).mountPoint);
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

void TDirTree::noteAnswer(const std::string& mountPoint, const VolumeState& state) {
    if (state.timedOut)
        unanswered_.insert(mountPoint);
    else
        unanswered_.erase(mountPoint);
}

bool TDirTree::recheckUnansweredVolumes() {
    if (unanswered_.empty()) return false;
    std::vector<size_t> rows;
    std::vector<Volume> asked;
    std::set<std::string> shown;
    for (size_t i = 0; i < roots_.size(); ++i) {
        const Volume& v = volumeAt(i);
        shown.insert(v.mountPoint);
        if (!unanswered_.count(v.mountPoint)) continue;
        rows.push_back(i);
        asked.push_back(v);
    }
    std::erase_if(unanswered_, [&](const std::string& mp) { return !shown.count(mp); });  // gone meanwhile
    if (asked.empty()) return false;
    const auto states = volumeSource_->probe(asked);
    bool changed = false, selectionOnIt = false;
    for (size_t k = 0; k < rows.size(); ++k) {
        if (states[k].timedOut) continue;
        TreeNode* volumeNode = roots_[rows[k]].get();
        selectionOnIt = selectionOnIt || (selected_ && selected_->isWithin(volumeNode));
        refreshVolume(rows[k], states[k]);
        changed = true;
    }
    // Whoever follows the selection sees the volume it stands on answer.
    if (selectionOnIt) selectionChangedTo(selected_);
    return changed;
}

bool TDirTree::pathExists(const std::string& nodePath) {
    if (const Volume* v = volumeOfNode(volumeNodeFor(nodePath))) {
        if (v->type == DriveType::Remote || v->type == DriveType::Unknown) {
            if (!volumeSource_->probe({*v}).front().readable) return false;  // unreachable: never block on it
        }
    }
    auto st = statPath(nodePath, true);
    return st.ok() && S_ISDIR(st->st_mode);
}

}  // namespace arbel::tree

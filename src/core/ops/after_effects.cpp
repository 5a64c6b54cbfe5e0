#include "core/ops/after_effects.h"

#include <set>

#include "platform/fileops.h"

namespace arbel::ops {

namespace {

AfterEffects copyOrMove(const OperationResult& result, bool fromSearch) {
    AfterEffects fx;
    const bool move = result.operation == Operation::Move;
    std::set<std::string> sourceFolders;
    for (const auto& item : result.items) {
        sourceFolders.insert(parentPath(item.source));
        if (item.outcome == Outcome::NotDone) continue;
        if (item.targetFolder && item.outcome != Outcome::Skipped) fx.treeAdd.push_back(item.target);
        // A moved item leaves; one that stayed (skipped, failed) keeps its node and windows.
        if (move && item.sourceGone) {
            fx.treeRemove.push_back(item.source);
            fx.gone.push_back(item.source);
        }
    }
    if (!result.targetFolder.empty()) fx.refresh.push_back(result.targetFolder);
    if (move || fromSearch) fx.refresh.insert(fx.refresh.end(), sourceFolders.begin(), sourceFolders.end());
    // Moved results are no longer where the list says.
    fx.dropVanishedResults = move && fromSearch;
    return fx;
}

AfterEffects deletion(const OperationResult& result, bool fromSearch) {
    AfterEffects fx;
    fx.closeViewers = true;
    fx.autoFolderMovesUp = true;
    std::set<std::string> parents;
    for (const auto& item : result.items) {
        parents.insert(parentPath(item.source));
        if (!item.sourceGone) continue;  // still there: keeps its entry
        // Whatever node the tree has for it goes: a folder's, or a link's to a folder.
        fx.treeRemove.push_back(item.source);
        fx.gone.push_back(item.source);
    }
    fx.refresh.assign(parents.begin(), parents.end());
    // A result that could not be deleted stays listed.
    fx.dropVanishedResults = fromSearch;
    return fx;
}

}  // namespace

AfterEffects afterEffects(const OperationResult& result, bool fromSearch) {
    switch (result.operation) {
        case Operation::Copy:
        case Operation::Move:
            return copyOrMove(result, fromSearch);
        case Operation::Delete:
        case Operation::Recycle:
            return deletion(result, fromSearch);
    }
    return {};
}

AfterEffects afterRename(const std::string& from, const std::string& to, bool wasFolder) {
    AfterEffects fx;
    if (wasFolder && from != to) fx.renamed.push_back({from, to});
    fx.refresh.push_back(parentPath(from));
    return fx;
}

}  // namespace arbel::ops

#include "ui/search/find_job.h"

#include <memory>

namespace arbel::ui {

FindJob::FindJob(QObject* parent) : QObject(parent) {
    job_.setPoll([this] { emit progress(); });
    job_.allowGivingUp(kStopGraceMs, [this] { emit finished(false); });
}

// The background job's destructor stops the search and waits a moment for it.
FindJob::~FindJob() = default;

bool FindJob::start(const search::FindRequest& request, const std::string& folder) {
    if (running()) return false;
    // A new record each search: a finder given up earlier still writes into its own.
    found_ = std::make_shared<Found>();
    auto completed = std::make_shared<bool>(false);
    return job_.start(
        [found = found_, request, folder, completed](JobContext& context) {
            const CancelToken& token = context.cancelToken();
            search::TMyFF ff;
            search::configure(ff, request);
            ff.setCancelToken(&token);
            ff.OnChDir = [&found, &token](const std::string& path, bool& cancel) {
                std::lock_guard lk(found->mu);
                found->folder = path;
                cancel = token.cancelled();
            };
            ff.OnAddFile = [&found, &token](const std::string& dir, const search::FoundFile& f,
                                            bool& cancel) {
                FindResultRow row{dir, std::string(f.name), f.size, f.mtimeNs, f.attributes};
                std::lock_guard lk(found->mu);
                found->rows.push_back(std::move(row));
                cancel = token.cancelled();
            };
            // An exception (out of memory) ends the search with what it found so far.
            *completed = ff.execute(folder);
        },
        [this, completed] { emit finished(*completed); });
}

std::vector<FindResultRow> FindJob::takeRows() {
    std::lock_guard lk(found_->mu);
    std::vector<FindResultRow> out;
    out.swap(found_->rows);
    return out;
}

std::string FindJob::currentFolder() {
    std::lock_guard lk(found_->mu);
    return found_->folder;
}

}  // namespace arbel::ui

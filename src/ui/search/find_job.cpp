#include "ui/search/find_job.h"

#include <memory>

namespace arbel::ui {

FindJob::FindJob(QObject* parent) : QObject(parent) {
    job_.setPoll([this] { emit progress(); });
}

// The background job's destructor stops the search and waits for it.
FindJob::~FindJob() = default;

bool FindJob::start(const search::FindRequest& request, const std::string& folder) {
    if (running()) return false;
    {
        std::lock_guard lk(mu_);
        rows_.clear();
        folder_.clear();
    }
    auto completed = std::make_shared<bool>(false);
    return job_.start(
        [this, request, folder, completed](JobContext& context) {
            const CancelToken& token = context.cancelToken();
            TMyFF ff;
            search::configure(ff, request);
            ff.setCancelToken(&token);
            ff.OnChDir = [this, &token](const std::string& path, bool& cancel) {
                std::lock_guard lk(mu_);
                folder_ = path;
                cancel = token.cancelled();
            };
            ff.OnAddFile = [this, &token](const std::string& dir, const FoundFile& f, bool& cancel) {
                FindResultRow row{dir, std::string(f.name), f.size, f.mtimeNs, f.attributes};
                std::lock_guard lk(mu_);
                rows_.push_back(std::move(row));
                cancel = token.cancelled();
            };
            // An exception (out of memory) ends the search with what it found so far.
            *completed = ff.execute(folder);
        },
        [this, completed] { emit finished(*completed); });
}

std::vector<FindResultRow> FindJob::takeRows() {
    std::lock_guard lk(mu_);
    std::vector<FindResultRow> out;
    out.swap(rows_);
    return out;
}

std::string FindJob::currentFolder() {
    std::lock_guard lk(mu_);
    return folder_;
}

}  // namespace arbel::ui

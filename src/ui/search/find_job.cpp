#include "ui/search/find_job.h"

#include <QMetaObject>
#include <QPointer>
#include <exception>

namespace arbel::ui {

FindJob::FindJob(QObject* parent) : QObject(parent) {}

FindJob::~FindJob() {
    token_.cancel();
    join();
}

void FindJob::join() {
    if (thread_.joinable()) thread_.join();
}

bool FindJob::start(const search::FindRequest& request, const std::string& folder) {
    if (running_) return false;
    join();
    token_.reset();
    {
        std::lock_guard lk(mu_);
        rows_.clear();
        folder_.clear();
    }
    running_ = true;
    thread_ = std::thread([this, request, folder] {
        search::TMyFF ff;
        search::configure(ff, request);
        ff.setCancelToken(&token_);
        ff.OnChDir = [this](const std::string& path, bool& cancel) {
            std::lock_guard lk(mu_);
            folder_ = path;
            cancel = token_.cancelled();
        };
        ff.OnAddFile = [this](const std::string& dir, const search::FoundFile& f, bool& cancel) {
            FindResultRow row{dir, std::string(f.name), f.size, f.mtimeNs, f.attributes};
            std::lock_guard lk(mu_);
            rows_.push_back(std::move(row));
            cancel = token_.cancelled();
        };
        bool completed = false;
        try {
            completed = ff.execute(folder);
        } catch (const std::exception&) {
            // Out of memory or threads: the search ends with what it found so far.
        }
        // Delivered on the interface thread; the destructor joins this thread first,
        // and a pending call for a deleted job is dropped with it.
        QMetaObject::invokeMethod(
            this,
            [this, completed] {
                join();
                running_ = false;
                emit finished(completed);
            },
            Qt::QueuedConnection);
    });
    return true;
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

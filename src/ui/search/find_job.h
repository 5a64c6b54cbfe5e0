#pragma once
// Runs one search on a worker thread and hands its results to the interface
// thread in batches, so the search window stays usable and fills while the
// finder walks. stop() takes effect within one folder entry or one file block.

#include <QObject>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/search/find_form.h"
#include "ui/search/find_results_model.h"

namespace arbel::ui {

class FindJob : public QObject {
    Q_OBJECT
public:
    explicit FindJob(QObject* parent = nullptr);
    ~FindJob() override;  // stops a running search and waits for its thread

    // Starts a search; false when one is running already.
    bool start(const search::FindRequest& request, const std::string& folder);
    void stop() { token_.cancel(); }
    bool running() const { return running_; }

    // The rows found since the last call, in the order found.
    std::vector<FindResultRow> takeRows();
    // The folder being read now (ends in "/"), empty before the first one.
    std::string currentFolder();

signals:
    // The search ended; completed is false when it was stopped or the folder could
    // not be read. Rows still waiting are taken with takeRows().
    void finished(bool completed);

private:
    void join();

    CancelToken token_;
    std::thread thread_;
    bool running_ = false;
    std::mutex mu_;
    std::vector<FindResultRow> rows_;
    std::string folder_;
};

}  // namespace arbel::ui

#pragma once
// Runs one search on a background job and hands its results to the interface
// thread in batches, so the search window stays usable and fills while the
// finder walks. stop() takes effect within one folder entry or one file block; a
// finder stuck in a call on a dead mount is given up after a moment (finished
// comes then, with what was found so far) and left to end alone.

#include <QObject>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/search/find_form.h"
#include "ui/app/background_job.h"
#include "ui/search/find_results_model.h"

namespace arbel::ui {

class FindJob : public QObject {
    Q_OBJECT
public:
    explicit FindJob(QObject* parent = nullptr);
    ~FindJob() override;  // stops a running search and waits a moment for it

    // Starts a search; false when one is running already.
    bool start(const search::FindRequest& request, const std::string& folder);
    void stop() { job_.cancel(); }
    bool running() const { return job_.running(); }

    // The rows found since the last call, in the order found.
    std::vector<FindResultRow> takeRows();
    // The folder being read now (ends in "/"), empty before the first one.
    std::string currentFolder();

signals:
    // While the search runs, a few times a second: time to take the rows.
    void progress();
    // The search ended; completed is false when it was stopped or the folder could
    // not be read. Rows still waiting are taken with takeRows().
    void finished(bool completed);

private:
    // What the finder hands over; shared with it, so a finder given up may outlive this.
    struct Found {
        std::mutex mu;
        std::vector<FindResultRow> rows;
        std::string folder;
    };
    std::shared_ptr<Found> found_ = std::make_shared<Found>();
    BackgroundJob job_;
};

}  // namespace arbel::ui

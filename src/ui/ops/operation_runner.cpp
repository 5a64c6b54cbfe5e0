#include "ui/ops/operation_runner.h"

#include <algorithm>

#include "core/ops/conflict_text.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"

namespace arbel::ui {

namespace {

QString describe(const Error& e) {
    return displayPath(e.describe());
}

ops::Answer toAnswer(QMessageBox::StandardButton b) {
    switch (b) {
        case QMessageBox::Yes:
            return ops::Answer::Yes;
        case QMessageBox::YesToAll:
            return ops::Answer::YesToAll;
        case QMessageBox::No:
            return ops::Answer::No;
        case QMessageBox::NoToAll:
            return ops::Answer::NoToAll;
        case QMessageBox::Save:
            return ops::Answer::KeepBoth;
        case QMessageBox::SaveAll:
            return ops::Answer::KeepBothToAll;
        default:
            return ops::Answer::Cancel;
    }
}

// The job's questions, asked through the background job: the worker waits for
// the answer, so a question never races the work.
class UiQuestions : public ops::OperationQuestions {
public:
    explicit UiQuestions(JobContext& context) : context_(context) {}

    ops::Answer replaceExisting(const std::string& source, const std::string& target) override {
        // Both files are shown, read here on the job's thread.
        const std::string details = ops::conflictDetails(ops::readConflict(source, target));
        return toAnswer(context_.ask(
            {QMessageBox::Question,
             QStringLiteral("%1\nalready exists. Replace it with\n%2?\n\n%3")
                 .arg(displayPath(target), displayPath(source), QString::fromUtf8(details.c_str())),
             QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll |
                 QMessageBox::Save | QMessageBox::SaveAll | QMessageBox::Cancel,
             {{QMessageBox::Save, kKeepBoth}, {QMessageBox::SaveAll, kKeepBothForAll}}}));
    }
    bool createTargetFolder(const std::string& folder) override {
        return context_.ask({QMessageBox::Question,
                             displayPath(folder) + QStringLiteral("\ndoes not exist. Create it?"),
                             QMessageBox::Yes | QMessageBox::No}) == QMessageBox::Yes;
    }
    ops::Answer confirmDelete(const std::string& item, bool recycle) override {
        QString text = recycle ? QStringLiteral("Move %1 to the trash?") : QStringLiteral("Delete %1?");
        return toAnswer(
            context_.ask({QMessageBox::Question, text.arg(displayPath(item)),
                          QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel}));
    }
    ops::Answer deletePermanently(const std::string& item, const Error& why) override {
        return toAnswer(context_.ask({QMessageBox::Warning,
                                      QStringLiteral("%1\ncannot be moved to the trash (%2).\n"
                                                     "Delete it permanently?")
                                          .arg(displayPath(item), describe(why)),
                                      QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                          QMessageBox::NoToAll | QMessageBox::Cancel}));
    }
    ops::ErrorAnswer onError(const Error& error) override {
        auto b = context_.ask({QMessageBox::Critical, describe(error),
                               QMessageBox::Retry | QMessageBox::Ignore | QMessageBox::Abort});
        if (b == QMessageBox::Retry) return ops::ErrorAnswer::Retry;
        if (b == QMessageBox::Ignore) return ops::ErrorAnswer::Skip;
        return ops::ErrorAnswer::Abort;
    }

private:
    JobContext& context_;
};

QString percentText(const ops::Progress& p) {
    QString name = displayPath(p.current);
    if (p.filesTotal) {
        return QStringLiteral("%1 of %2 files\n%3")
            .arg(std::min(p.filesDone, p.filesTotal))
            .arg(p.filesTotal)
            .arg(name);
    }
    return QStringLiteral("%1 files\n%2").arg(p.filesDone).arg(name);
}

ProgressReport reportOf(const ops::Progress& p) {
    ProgressReport r;
    r.text = percentText(p);
    if (p.bytesTotal)
        r.permille = int(std::min<uint64_t>(1000, p.bytesDone * 1000 / p.bytesTotal));
    else if (p.filesTotal)
        r.permille = int(std::min<uint64_t>(1000, p.filesDone * 1000 / p.filesTotal));
    return r;
}

}  // namespace

std::unique_ptr<ops::OperationQuestions> makeOperationQuestions(JobContext& context) {
    return std::make_unique<UiQuestions>(context);
}

BackgroundJob* runFileOperation(QObject* parent, QWidget* owner, std::unique_ptr<ops::FileOperation> job,
                                FileJobOptions options,
                                std::function<void(const ops::OperationResult&)> done) {
    auto* background = new BackgroundJob(parent, owner);
    // Shared by the worker and the interface thread; the worker is joined before
    // `done` runs, and the background job's destructor joins it too.
    std::shared_ptr<ops::FileOperation> shared(std::move(job));
    auto result = std::make_shared<ops::OperationResult>();
    if (options.showProgress)
        background->setProgressWindow(options.title, [shared] { return reportOf(shared->progress()); });
    auto finished = std::make_shared<std::function<void(const ops::OperationResult&)>>(std::move(done));
    // The worker holds only what it shares: one stuck in a call on a dead mount is
    // left to end alone after Stop (it still keeps the temporary-file rules when the
    // call returns) and the dialog hears that the job was stopped.
    background->allowGivingUp(
        kStopGraceMs, [background, finished, op = shared->operation(), target = shared->targetFolder()] {
            ops::OperationResult stopped;
            stopped.operation = op;
            stopped.targetFolder = target;
            stopped.aborted = true;
            (*finished)(stopped);
            background->deleteLater();
        });
    background->start(
        [shared, result](JobContext& context) {
            // Planning walks the sources: on the worker too, so a big tree or a slow
            // mount never holds up the interface, and Stop works while it counts.
            UiQuestions questions(context);
            *result = shared->run(questions, context.cancelToken());
        },
        [background, result, finished] {
            (*finished)(*result);
            background->deleteLater();
        });
    return background;
}

int failedItems(const ops::OperationResult& result) {
    int n = 0;
    for (const auto& i : result.items)
        if (i.outcome == ops::Outcome::Failed) ++n;
    return n;
}

}  // namespace arbel::ui

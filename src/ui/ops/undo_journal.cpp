#include "ui/ops/undo_journal.h"

#include <QPointer>
#include <memory>

#include "core/ops/undo_run.h"
#include "ui/app/background_job.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/tree_sync.h"

namespace arbel::ui {

namespace {

// Lives as long as the frame, as a child of it.
class JournalHolder : public QObject {
public:
    explicit JournalHolder(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("undoJournal"));
    }
    ops::UndoJournal journal;
    QPointer<BackgroundJob> running;
};

JournalHolder* holderOf(const Tmdimain& frame) {
    return frame.findChild<JournalHolder*>(QStringLiteral("undoJournal"), Qt::FindDirectChildrenOnly);
}

JournalHolder& holder(Tmdimain& frame) {
    if (JournalHolder* h = holderOf(frame)) return *h;
    return *new JournalHolder(&frame);
}

constexpr size_t kReportLines = 20;

QString keptText(const ops::UndoReport& report) {
    QString text = QStringLiteral("These could not be undone and were kept as they are:");
    size_t n = 0;
    for (const ops::UndoKept& k : report.kept) {
        if (n++ == kReportLines) {
            text += QStringLiteral("\n... and %1 more").arg(report.kept.size() - kReportLines);
            break;
        }
        text += QStringLiteral("\n") + displayPath(k.path) + QStringLiteral(": ") + displayPath(k.reason);
    }
    return text;
}

}  // namespace

ops::UndoJournal& undoJournal(Tmdimain& frame) {
    return holder(frame).journal;
}

bool undoAvailable(const Tmdimain& frame) {
    const JournalHolder* h = holderOf(frame);
    return h && h->journal.newest() && !h->running;
}

void recordOperation(Tmdimain& frame, const ops::OperationResult& result) {
    undoJournal(frame).recordOperation(result);
}

void recordAttributeRun(Tmdimain& frame, const ops::AttribRun& run) {
    undoJournal(frame).recordAttributes(run);
}

QString undoMenuText(const Tmdimain& frame) {
    const JournalHolder* h = holderOf(frame);
    const ops::UndoEntry* e = h ? h->journal.newest() : nullptr;
    if (!e) return QStringLiteral("&Undo");
    QString what = displayPath(e->description);
    what.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&Undo ") + what;
}

BackgroundJob* startUndo(Tmdimain& frame, QWidget* owner, uint64_t id, std::function<void()> done) {
    JournalHolder& h = holder(frame);
    if (h.running) return nullptr;  // one undo at a time: the next may depend on it
    if (id == 0) {
        if (!h.journal.newest()) return nullptr;
        id = h.journal.newest()->id;
    }
    if (std::string why = h.journal.refusal(id); !why.empty()) {
        showMessage(owner, QStringLiteral("Cannot undo this now.\n") + displayPath(why));
        return nullptr;
    }
    auto entry = std::make_shared<ops::UndoEntry>(*h.journal.take(id));
    auto report = std::make_shared<ops::UndoReport>();
    auto progress = std::make_shared<ops::UndoProgress>();
    auto* job = new BackgroundJob(&frame, owner);
    h.running = job;
    const QString title = QStringLiteral("Undo ") + displayPath(entry->description);
    job->setProgressWindow(title, [progress] {
        ProgressReport r;
        r.text = QStringLiteral("%1 of %2").arg(progress->done.load()).arg(progress->total.load());
        if (size_t total = progress->total.load()) r.permille = int(progress->done.load() * 1000 / total);
        return r;
    });
    QPointer<Tmdimain> frameAlive(&frame);
    QPointer<QWidget> ownerAlive(owner);
    job->start(
        [entry, report, progress](JobContext& context) {
            *report = ops::undoEntry(*entry, context.cancelToken(), progress.get());
        },
        [job, entry, report, frameAlive, ownerAlive, done = std::move(done)] {
            job->deleteLater();
            if (!frameAlive) return;
            Tmdimain& f = *frameAlive;
            if (JournalHolder* h = holderOf(f)) h->running = nullptr;
            if (report->cancelled) {
                ops::UndoEntry rest = *entry;
                rest.steps = report->notReached;
                undoJournal(f).putBack(std::move(rest));
            }
            applyAfterEffects(f, report->effects);
            if (!report->kept.empty()) showMessage(ownerAlive ? ownerAlive.data() : &f, keptText(*report));
            if (done) done();
        });
    return job;
}

}  // namespace arbel::ui

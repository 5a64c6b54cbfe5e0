#include "ui/ops/operation_runner.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>

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
        default:
            return ops::Answer::Cancel;
    }
}

// The job's questions, asked on the interface thread; the worker waits for the
// answer (a blocking queued call), so a question never races the work.
class UiQuestions : public ops::OperationQuestions {
public:
    UiQuestions(QObject* uiObject, QWidget* parent) : ui_(uiObject), parent_(parent) {}

    ops::Answer replaceExisting(const std::string& source, const std::string& target) override {
        return onUi([&] {
            return toAnswer(ask(parent_, {QMessageBox::Question,
                                          QStringLiteral("%1\nalready exists. Replace it with\n%2?")
                                              .arg(displayPath(target), displayPath(source)),
                                          QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                              QMessageBox::NoToAll | QMessageBox::Cancel}));
        });
    }
    bool createTargetFolder(const std::string& folder) override {
        return onUi([&] {
            return askYesNo(parent_, displayPath(folder) + QStringLiteral("\ndoes not exist. Create it?"));
        });
    }
    ops::Answer confirmDelete(const std::string& item, bool recycle) override {
        return onUi([&] {
            QString text = recycle ? QStringLiteral("Move %1 to the trash?") : QStringLiteral("Delete %1?");
            return toAnswer(ask(
                parent_, {QMessageBox::Question, text.arg(displayPath(item)),
                          QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel}));
        });
    }
    ops::Answer deletePermanently(const std::string& item, const Error& why) override {
        return onUi([&] {
            return toAnswer(ask(parent_, {QMessageBox::Warning,
                                          QStringLiteral("%1\ncannot be moved to the trash (%2).\n"
                                                         "Delete it permanently?")
                                              .arg(displayPath(item), describe(why)),
                                          QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                              QMessageBox::NoToAll | QMessageBox::Cancel}));
        });
    }
    ops::ErrorAnswer onError(const Error& error) override {
        return onUi([&] {
            auto b = ask(parent_, {QMessageBox::Critical, describe(error),
                                   QMessageBox::Retry | QMessageBox::Ignore | QMessageBox::Abort});
            if (b == QMessageBox::Retry) return ops::ErrorAnswer::Retry;
            if (b == QMessageBox::Ignore) return ops::ErrorAnswer::Skip;
            return ops::ErrorAnswer::Abort;
        });
    }

private:
    template <class F>
    auto onUi(F&& f) -> decltype(f()) {
        decltype(f()) result{};
        if (QThread::currentThread() == ui_->thread()) return f();
        QMetaObject::invokeMethod(
            ui_, [&] { result = f(); }, Qt::BlockingQueuedConnection);
        return result;
    }
    QObject* ui_;
    QWidget* parent_;
};

class Worker : public QThread {
public:
    Worker(ops::FileOperation& job, ops::OperationQuestions& q, CancelToken& cancel)
        : job_(job), q_(q), cancel_(cancel) {}
    ops::OperationResult result;

protected:
    void run() override { result = job_.run(q_, cancel_); }

private:
    ops::FileOperation& job_;
    ops::OperationQuestions& q_;
    CancelToken& cancel_;
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

}  // namespace

ops::OperationResult runOperation(QWidget* parent, ops::FileOperation& job, bool showProgress,
                                  const QString& title) {
    CancelToken cancel;
    QObject uiObject;
    UiQuestions questions(&uiObject, parent);
    // Planning walks the sources: on the worker too, so a big tree or a slow
    // mount never holds up the interface, and Stop works while it counts.
    Worker worker(job, questions, cancel);

    QDialog progress(parent, Qt::Tool);
    progress.setWindowTitle(title.isEmpty() ? kMessageTitle : title);
    progress.setObjectName(QStringLiteral("operationProgress"));
    auto* layout = new QVBoxLayout(&progress);
    auto* label = new QLabel(&progress);
    label->setMinimumWidth(360);
    auto* bar = new QProgressBar(&progress);
    bar->setRange(0, 1000);
    auto* stop = new QPushButton(QStringLiteral("Stop"), &progress);
    stop->setObjectName(QStringLiteral("stopButton"));
    layout->addWidget(label);
    layout->addWidget(bar);
    layout->addWidget(stop, 0, Qt::AlignRight);
    QObject::connect(stop, &QPushButton::clicked, [&] { cancel.cancel(); });
    // Escape or closing the window stops the work as Stop does.
    QObject::connect(&progress, &QDialog::rejected, [&] { cancel.cancel(); });

    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ops::Progress p = job.progress();
        if (showProgress && !progress.isVisible() && clock.elapsed() >= kProgressDelayMs) progress.show();
        if (!progress.isVisible()) return;
        label->setText(percentText(p));
        if (p.bytesTotal) {
            bar->setValue(int(std::min<uint64_t>(1000, p.bytesDone * 1000 / p.bytesTotal)));
        } else if (p.filesTotal) {
            bar->setValue(int(std::min<uint64_t>(1000, p.filesDone * 1000 / p.filesTotal)));
        } else {
            bar->setRange(0, 0);  // unknown total: a busy bar
        }
    });
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    poll.start();
    worker.start();
    loop.exec();
    worker.wait();
    poll.stop();
    progress.hide();
    return worker.result;
}

void attachRunner(ops::TShellFileOp& op, QWidget* parent) {
    QPointer<QWidget> owner(parent);
    op.setRunner([&op, owner](ops::FileOperation& job) {
        return runOperation(owner, job, op.Animate, QString::fromStdString(op.ProgressTitle));
    });
}

int failedItems(const ops::OperationResult& result) {
    int n = 0;
    for (const auto& i : result.items)
        if (i.outcome == ops::Outcome::Failed) ++n;
    return n;
}

}  // namespace arbel::ui

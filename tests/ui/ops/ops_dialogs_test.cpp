// The file-operation dialogs on the offscreen platform: a real frame, real files
// in a temporary folder, message boxes answered by an interceptor.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "core/config/ini_file.h"
#include "core/config/settings.h"
#include "core/ops/item_list.h"
#include "core/ops/names.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/ops/copier.h"
#include "ui/ops/deleter.h"
#include "ui/ops/newdir.h"
#include "ui/ops/operation_runner.h"
#include "ui/ops/renamer.h"

using namespace arbel;
using namespace arbel::ui;
using arbel::test::exists;
using arbel::test::readFile;

class OpsDialogsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    QStringList asked_;
    QMessageBox::StandardButton answer_ = QMessageBox::Yes;

    std::string cfg() const { return tmp_->path() + "/Arbelwin.cfg"; }
    DialogSource listSource(std::vector<std::string> items) {
        DialogSource s;
        s.kind = app::ActiveKind::List;
        s.gathered.items = std::move(items);
        s.gathered.firstItem = s.gathered.items.empty() ? std::string() : s.gathered.items.front();
        s.windowFolder = tmp_->path();
        countKinds(s);
        return s;
    }
    // A confirmed dialog runs its job in the background and closes when the job's
    // result has been applied.
    static bool jobApplied(const QPointer<QDialog>& dialog) {
        return QTest::qWaitFor([&] { return !dialog; }, 30000);
    }
    ops::OperationResult runAndWait(std::unique_ptr<ops::FileOperation> job) {
        std::optional<ops::OperationResult> result;
        runFileOperation(frame_.get(), frame_.get(), std::move(job), {},
                         [&](const ops::OperationResult& r) { result = r; });
        (void)QTest::qWaitFor([&] { return result.has_value(); }, 30000);
        return result.value_or(ops::OperationResult{});
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        asked_.clear();
        answer_ = QMessageBox::Yes;
        setMessageInterceptor([this](const MessageRequest& r) {
            asked_ << r.text;
            return answer_;
        });
        frame_ = std::make_unique<Tmdimain>(FrameOptions{cfg(), false});
        frame_->show();
        (void)QTest::qWaitFor([&] { return !frame_->startupPending(); }, 2000);
    }
    void cleanup() {
        frame_.reset();
        setMessageInterceptor({});
        tmp_.reset();
    }

    // Copy into a missing target: asked once (as typed, not upper-cased), created,
    // copied; the histories and the replace choice are written.
    void copyCreatesTargetAndRecordsHistory() {
        tmp_->writeFile("src/a.txt", "alpha");
        tmp_->writeFile("src/sub/b.txt", "beta");
        std::string target = tmp_->path() + "/New Target";
        auto* d = new Tcopier(*frame_, Tcopier::Mode::Copy, listSource({(*tmp_ / "src")}));
        QCOMPARE(frame_->state().activeDialog, app::DialogTag::Copier);
        QVERIFY(d->renbox->isEnabled());
        d->ComboBox1->setEditText(QString::fromStdString(target));
        d->autobox->setChecked(true);
        QPointer<QDialog> open = d;
        d->Button1Click();
        QVERIFY(jobApplied(open));
        QCOMPARE(asked_.size(), 1);
        QCOMPARE(asked_[0], QString::fromStdString(target + "\ndoes not exist. Create it?"));
        QCOMPARE(readFile(target + "/src/sub/b.txt"), std::string("beta"));
        QCOMPARE(readFile(*tmp_ / "src/a.txt"), std::string("alpha"));
        config::IniFile ini(cfg());
        QCOMPARE(ini.readHistory(config::sections::Copies), std::vector<std::string>{target});
        QCOMPARE(ini.readString("Quenby", "replace", "?"), std::string("true"));
        QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);
    }

    // The copy dialog says its mode in its caption, button and label from the
    // moment it opens, and switching the mode changes all three.
    void copyDialogShowsItsModeFromTheStart() {
        QPointer<Tcopier> copy = Tcopier::open(*frame_, Tcopier::Mode::Copy);
        QCOMPARE(copy->windowTitle(), QStringLiteral("Copy"));
        QCOMPARE(copy->Button1->text(), QStringLiteral("Copy"));
        QCOMPARE(copy->Label1->text(), QString::fromUtf8(kCopyLabel));
        copy->close();
        QTRY_VERIFY(!copy);
        QPointer<Tcopier> move = Tcopier::open(*frame_, Tcopier::Mode::Move);
        QCOMPARE(move->windowTitle(), QStringLiteral("Move"));
        QCOMPARE(move->Label1->text(), QString::fromUtf8(kMoveLabel));
        move->switchmode();
        QCOMPARE(move->windowTitle(), QStringLiteral("Copy"));
        QCOMPARE(move->Button1->text(), QStringLiteral("Copy"));
        move->close();
    }

    // Move with rename on copy: the item lands under the new name, the source is
    // gone, and no other folder is renamed on the way.
    void moveUnderNewNameLeavesSiblingsAlone() {
        tmp_->writeFile("src/report.txt", "r");
        tmp_->writeFile("src/final.txt", "sibling");  // the new name exists beside the source
        tmp_->makeDir("dst");
        auto* d = new Tcopier(*frame_, Tcopier::Mode::Move, listSource({*tmp_ / "src/report.txt"}));
        QCOMPARE(d->Button1->text(), QStringLiteral("Move"));
        d->ComboBox1->setEditText(QString::fromStdString(*tmp_ / "dst"));
        d->renbox->setChecked(true);
        d->ComboBox2->setEditText(QStringLiteral("final.txt"));
        QPointer<QDialog> open = d;
        d->Button1Click();
        QVERIFY(jobApplied(open));
        QCOMPARE(readFile(*tmp_ / "dst/final.txt"), std::string("r"));
        QVERIFY(!exists(*tmp_ / "src/report.txt"));
        QCOMPARE(readFile(*tmp_ / "src/final.txt"), std::string("sibling"));
        QCOMPARE(config::IniFile(cfg()).readHistory(config::sections::Renames),
                 std::vector<std::string>{"final.txt"});
    }

    // From the frame: a folder window's selection is copied with the frame's Copy
    // command, and a window already open on the target shows the new files.
    void frameCopyCommandTakesTheFolderWindowSelection() {
        tmp_->writeFile("from/one.txt", "1");
        tmp_->writeFile("from/two.txt", "2");
        tmp_->makeDir("to");
        auto* target = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, *tmp_ / "to"));
        auto* source = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, *tmp_ / "from"));
        QVERIFY(target && source);
        (void)QTest::qWaitFor([&] { return !source->reading() && !target->reading(); }, 10000);
        frame_->activateChild(source);
        source->selectAll(true);
        QCOMPARE(source->selectedNames().size(), size_t(2));
        frame_->copybutClick();
        auto* d = qobject_cast<Tcopier*>(frame_->openDialog(app::DialogTag::Copier));
        QVERIFY(d);
        QCOMPARE(d->source().gathered.items.size(), size_t(2));
        d->ComboBox1->setEditText(QString::fromStdString(*tmp_ / "to"));
        QPointer<QDialog> open = d;
        d->Button1Click();
        QVERIFY(jobApplied(open));
        QCOMPARE(readFile(*tmp_ / "to/two.txt"), std::string("2"));
        (void)QTest::qWaitFor([&] { return !target->reading(); }, 10000);
        QTRY_COMPARE(target->fileList().rowCount(), 2);
    }

    // Deleting a folder closes the windows on it and below it, never the window on
    // a folder whose name merely starts the same way; renaming a folder moves the
    // windows on it along.
    void windowsFollowDeletedAndRenamedFoldersByPath() {
        tmp_->writeFile("victim/sub/f", "f");
        tmp_->writeFile("victim2/g", "g");
        tmp_->writeFile("keep/inner/h", "h");
        QPointer<ChildWindow> below = openFolderWindow(*frame_, *tmp_ / "victim/sub");
        QPointer<ChildWindow> sibling = openFolderWindow(*frame_, *tmp_ / "victim2");
        QPointer<ChildWindow> inner = openFolderWindow(*frame_, *tmp_ / "keep/inner");
        DialogSource s;
        s.kind = app::ActiveKind::Dir;
        s.windowFolder = *tmp_ / "victim";
        s.gathered.items = {*tmp_ / "victim"};
        countKinds(s);
        auto* d = new Tdel(*frame_, s);
        QCOMPARE(d->Label1->text(), QStringLiteral("Delete the folder"));
        d->CheckBox1->setChecked(false);
        d->CheckBox2->setChecked(false);
        QPointer<QDialog> open = d;
        d->Button1Click();
        QVERIFY(jobApplied(open));
        QVERIFY(!exists(*tmp_ / "victim"));
        QTRY_VERIFY(!below);
        QVERIFY(sibling);
        QCOMPARE(sibling->shownPath(), *tmp_ / "victim2");

        auto* r = new Tren(*frame_, s, *tmp_ / "keep");
        r->Edit1->setText(QStringLiteral("kept"));
        r->Button1Click();
        QVERIFY(exists(*tmp_ / "kept/inner/h"));
        QVERIFY(inner);
        QCOMPARE(inner->shownPath(), *tmp_ / "kept/inner");
    }

    // Dropped items come from the drop's list, cannot be renamed, and a target
    // folder whose name is not valid UTF-8 is used with its own bytes.
    void droppedItemsGoToTheDropFolderByItsBytes() {
        tmp_->writeFile("x1", "1");
        tmp_->writeFile("x2", "2");
        std::string odd = *tmp_ / "drop\xff here";
        tmp_->makeDir("drop\xff here");
        ops::processItemList().items = {*tmp_ / "x1", *tmp_ / "x2"};
        frame_->state().pendingUpdate = app::RefreshSignal::DfDrop;
        Tcopier* d = Tcopier::open(*frame_, Tcopier::Mode::Copy);
        QCOMPARE(frame_->state().pendingUpdate, app::RefreshSignal::None);
        QVERIFY(!d->renbox->isEnabled());
        d->setTarget(odd);
        QPointer<QDialog> open = d;
        d->Button1Click();
        QVERIFY(jobApplied(open));
        QVERIFY(asked_.isEmpty());
        QCOMPARE(readFile(odd + "/x1"), std::string("1"));
        QCOMPARE(readFile(odd + "/x2"), std::string("2"));
        ops::processItemList().items.clear();
    }

    // Rename on copy to a name with a "/" is refused with a message: it would
    // put the copy somewhere else.
    void renameOnCopyRefusesPaths() {
        tmp_->writeFile("a", "a");
        tmp_->makeDir("dst");
        auto* d = new Tcopier(*frame_, Tcopier::Mode::Copy, listSource({*tmp_ / "a"}));
        d->show();
        d->ComboBox1->setEditText(QString::fromStdString(*tmp_ / "dst"));
        d->renbox->setChecked(true);
        d->ComboBox2->setEditText(QStringLiteral("../escaped"));
        d->Button1Click();
        QCOMPARE(asked_, QStringList{QString::fromUtf8(ops::kInvalidName.data(), ops::kInvalidName.size())});
        QVERIFY(!exists(*tmp_ / "escaped"));
        QVERIFY(d->isVisible());
        d->close();
    }

    // Delete: the question counts files and folders; the preferences are written;
    // the items go.
    void deleteAsksCountsAndDeletes() {
        tmp_->writeFile("f1", "1");
        tmp_->writeFile("f2", "2");
        tmp_->writeFile("d/inner", "i");
        auto* d = new Tdel(*frame_, listSource({*tmp_ / "f1", *tmp_ / "f2", *tmp_ / "d"}));
        QCOMPARE(d->Label1->text(), QStringLiteral("Delete 2 files and 1 folder from:"));
        d->CheckBox1->setChecked(false);
        d->CheckBox2->setChecked(true);  // confirmations: asked per item
        answer_ = QMessageBox::YesToAll;
        QPointer<QDialog> open = d;
        d->Button1Click();
        QVERIFY(jobApplied(open));
        QCOMPARE(asked_.size(), 1);
        QVERIFY(!exists(*tmp_ / "f1"));
        QVERIFY(!exists(*tmp_ / "d"));
        config::IniFile ini(cfg());
        QCOMPARE(ini.readString("Quenby", "recycle", "?"), std::string());
        QCOMPARE(ini.readString("Quenby", "confirmdel", "?"), std::string("yes"));
    }

    // An error on the worker thread becomes a question on the interface thread,
    // and the failure is reported as such.
    void workerErrorsAreAskedAndReported() {
        tmp_->writeFile("plain", "p");
        tmp_->writeFile("item", "i");
        ops::OperationOptions o;
        o.autoMakeDir = true;
        auto job = std::make_unique<ops::FileOperation>(
            ops::Operation::Copy, std::vector<std::string>{*tmp_ / "item"}, *tmp_ / "plain/sub", o);
        answer_ = QMessageBox::Ignore;
        auto result = runAndWait(std::move(job));
        QCOMPARE(asked_.size(), 1);
        QVERIFY(asked_[0].contains(QStringLiteral("Not a directory")));
        QCOMPARE(failedItems(result), 1);
        QVERIFY(!result.allDone());
    }

    // Work that lasts shows the progress window; its Stop ends the job with the
    // old target intact and the rest not done.
    void progressWindowAppearsAndStopCancels() {
        tmp_->writeFile("src/a", "new a");
        tmp_->writeFile("src/b", "b");
        tmp_->writeFile("dst/a", "old a");
        bool sawProgress = false;
        setMessageInterceptor([&](const MessageRequest& r) {
            asked_ << r.text;
            QTest::qWait(kProgressDelayMs + 300);  // the worker waits for this answer
            auto* progress = frame_->findChild<QDialog*>(QStringLiteral("operationProgress"));
            sawProgress = progress && progress->isVisible();
            if (progress) {
                if (auto* stop = progress->findChild<QPushButton*>(QStringLiteral("stopButton")))
                    stop->click();
            }
            return QMessageBox::Yes;
        });
        auto result = runAndWait(std::make_unique<ops::FileOperation>(
            ops::Operation::Copy, std::vector<std::string>{*tmp_ / "src/a", *tmp_ / "src/b"}, *tmp_ / "dst"));
        QVERIFY(sawProgress);
        QVERIFY(result.aborted);
        QCOMPARE(asked_.size(), 1);
        QCOMPARE(readFile(*tmp_ / "dst/a"), std::string("old a"));
        QVERIFY(!exists(*tmp_ / "dst/b"));
    }

    // A question a job asks while its progress window shows belongs to that window
    // and is the active window in front of it; the answer reaches the worker, and
    // no nested loop holds the interface meanwhile.
    void questionsStandInFrontOfTheProgressWindow() {
        setMessageInterceptor({});  // real boxes
        std::atomic<bool> go{false};
        std::optional<ops::Answer> answer;
        bool done = false;
        auto* job = new BackgroundJob(frame_.get(), frame_.get());
        job->setProgressWindow(QStringLiteral("Copy"), [] {
            return ProgressReport{QStringLiteral("working"), 500};
        });
        job->start(
            [&](JobContext& context) {
                while (!go && !context.cancelled())
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                answer = makeOperationQuestions(context)->replaceExisting("/from/a", "/to/a");
            },
            [&] { done = true; });
        QTRY_VERIFY(job->progressWindow() && job->progressWindow()->isVisible());
        go = true;
        QTRY_VERIFY(job->openQuestion());
        QMessageBox* box = job->openQuestion();
        QVERIFY(box->text().contains(QStringLiteral("already exists. Replace it with")));
        QCOMPARE(box->parentWidget(), static_cast<QWidget*>(job->progressWindow()));
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(box));
        QVERIFY(job->running());
        box->button(QMessageBox::No)->click();
        QTRY_VERIFY(done);
        QCOMPARE(answer, std::optional<ops::Answer>(ops::Answer::No));
        QVERIFY(!job->progressWindow()->isVisible());
        delete job;
    }

    // Rename keeps the dialog open on a taken name, and Ctrl+Enter renames and stays.
    void renameRefusesTakenNamesAndCtrlEnterStays() {
        tmp_->writeFile("one", "1");
        tmp_->writeFile("two", "2");
        QPointer<Tren> d = new Tren(*frame_, listSource({*tmp_ / "one"}), *tmp_ / "one");
        d->show();
        QCOMPARE(d->Edit1->text(), QStringLiteral("one"));
        d->Edit1->setText(QStringLiteral("two"));
        d->Button1Click();
        QCOMPARE(asked_, QStringList{QStringLiteral("That filename is in use already")});
        QCOMPARE(readFile(*tmp_ / "two"), std::string("2"));
        d->Edit1->setText(QStringLiteral("three"));
        QTest::keyClick(d->Edit1, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(readFile(*tmp_ / "three"), std::string("1"));
        QVERIFY(d->isVisible());
        QCOMPARE(frame_->state().renameTarget, *tmp_ / "three");
        QTest::keyClick(d->Edit1, Qt::Key_Return);  // unchanged name: nothing to do, closes
        QTRY_VERIFY(!d || !d->isVisible());
    }

    // New folder: nested names are created under the parent, escapes refused.
    void newFolderNestsAndRefusesEscapes() {
        tmp_->makeDir("base");
        DialogSource s = listSource({*tmp_ / "base"});
        QCOMPARE(Tnewd::parentFor(s), *tmp_ / "base");  // a selected folder is the parent
        auto* d = new Tnewd(*frame_, s, Tnewd::parentFor(s));
        d->show();
        d->Edit1->setText(QStringLiteral("../outside"));
        d->Button1Click();
        QCOMPARE(asked_.size(), 1);
        QVERIFY(!exists(*tmp_ / "outside"));
        d->Edit1->setText(QStringLiteral("/one/two"));
        QTest::keyClick(d->Edit1, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(exists(*tmp_ / "base/one/two"));
        QVERIFY(d->isVisible());
        d->Edit1->setText(QStringLiteral("one/two"));
        d->Button1Click();
        QCOMPARE(asked_.last(), QStringLiteral("That folder name is in use already."));
        d->close();
    }
};

QTEST_MAIN(OpsDialogsTest)
#include "ops_dialogs_test.moc"

// The Change Attributes dialog on the offscreen platform over real files: what
// it shows for a mixed set, what a run leaves on disk, how it tells failures and
// which windows it brings up to date.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <memory>

#include "core/lists/file_entry.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/ops/attrib.h"
#include "ui/search/find_results_model.h"
#include "ui/search/findform.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

struct timespec mtimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

}  // namespace

class AttribTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    QStringList told_;

    DialogSource listSource(std::vector<std::string> items) {
        DialogSource s;
        s.kind = app::ActiveKind::List;
        s.gathered.items = std::move(items);
        s.gathered.firstItem = s.gathered.items.empty() ? std::string() : s.gathered.items.front();
        s.windowFolder = tmp_->path();
        countKinds(s);
        return s;
    }
    // Confirms and waits until the run was handled: the dialog closed, or a box told why not.
    static bool runAndClose(Tattrib* d) {
        QPointer<Tattrib> open = d;
        d->Button1Click();
        return QTest::qWaitFor([&] { return !open; }, 30000);
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        told_.clear();
        setMessageInterceptor([this](const MessageRequest& r) {
            told_ << r.text;
            return QMessageBox::Ok;
        });
        frame_ = std::make_unique<Tmdimain>(FrameOptions{tmp_->path() + "/Arbelwin.cfg", false});
        frame_->show();
        (void)QTest::qWaitFor([&] { return !frame_->startupPending(); }, 2000);
    }
    void cleanup() {
        frame_.reset();
        setMessageInterceptor({});
        tmp_.reset();
    }

    // One read-only file and one writable: the box shows mixed, and a run that
    // leaves it alone leaves each file as it was. One click on it clears it
    // (the mouse never makes mixed), and the run then clears it on both.
    void mixedBoxLeavesEachItemAndOneClickClearsAll() {
        const std::string a = tmp_->writeFile("a.txt", "a");
        const std::string b = tmp_->writeFile("b.txt", "b");
        ::chmod(a.c_str(), 0444);
        ::chmod(b.c_str(), 0644);

        auto* d = new Tattrib(*frame_, listSource({a, b}));
        QCOMPARE(frame_->state().activeDialog, app::DialogTag::Attrib);
        QVERIFY(d->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(d->windowTitle(), QStringLiteral("Change Attributes"));
        QCOMPARE(d->Readonlycheck->boxState(), ops::BoxState::Mixed);
        QVERIFY(!d->hiddencheck->isEnabled());
        // Two files: the time field is empty but there to be typed into.
        QVERIFY(d->Edit1->isEnabled());
        QVERIFY(d->Edit1->text().isEmpty());
        QVERIFY(runAndClose(d));
        QVERIFY(told_.isEmpty());
        QCOMPARE(modeOf(a), 0444u);
        QCOMPARE(modeOf(b), 0644u);
        QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);

        d = new Tattrib(*frame_, listSource({a, b}));
        d->show();
        QTest::mouseClick(d->Readonlycheck, Qt::LeftButton);
        QCOMPARE(d->Readonlycheck->boxState(), ops::BoxState::Unchecked);
        QTest::mouseClick(d->Readonlycheck, Qt::LeftButton);
        QCOMPARE(d->Readonlycheck->boxState(), ops::BoxState::Checked);
        QTest::mouseClick(d->Readonlycheck, Qt::LeftButton);
        QCOMPARE(d->Readonlycheck->boxState(), ops::BoxState::Unchecked);
        QVERIFY(runAndClose(d));
        QVERIFY(modeOf(a) & S_IWUSR);
        QCOMPARE(modeOf(b), 0644u);
    }

    // A text that is no time is told, with the text, before anything changes:
    // the dialog stays open and no item is touched, the first one included.
    void invalidTimeChangesNothing() {
        const std::string a = tmp_->writeFile("a.txt", "a");
        const std::string b = tmp_->writeFile("b.txt", "b");
        ::chmod(a.c_str(), 0644);
        const struct timespec before = mtimeOf(a);
        auto* d = new Tattrib(*frame_, listSource({a, b}));
        QPointer<Tattrib> open = d;
        d->Readonlycheck->setBoxState(ops::BoxState::Checked);
        d->Edit1->setText(QStringLiteral("next tuesday"));
        d->Button1Click();
        QCOMPARE(told_, QStringList{QStringLiteral("next tuesday does not appear to be a valid date/time.")});
        QVERIFY(open);
        QVERIFY(!d->busy());
        QCOMPARE(modeOf(a), 0644u);
        QCOMPARE(mtimeOf(a).tv_sec, before.tv_sec);
        d->close();
    }

    // A typed time lands on every file and on no folder; one file alone shows
    // its own time, and leaving that untouched keeps it to the nanosecond.
    void typedTimeReachesFilesOnly() {
        const std::string a = tmp_->writeFile("a.txt", "a");
        const std::string b = tmp_->writeFile("b.txt", "b");
        const std::string sub = tmp_->makeDir("sub");
        const struct timespec subBefore = mtimeOf(sub);
        auto* d = new Tattrib(*frame_, listSource({a, sub, b}));
        d->Edit1->setText(QStringLiteral("2020-01-02 03:04:05"));  // ISO, in TZ=UTC
        QVERIFY(runAndClose(d));
        QVERIFY2(told_.isEmpty(), qPrintable(told_.join('\n')));
        QCOMPARE(mtimeOf(a).tv_sec, time_t(1577934245));
        QCOMPARE(mtimeOf(b).tv_sec, time_t(1577934245));
        QCOMPARE(mtimeOf(sub).tv_sec, subBefore.tv_sec);

        // One folder (the tree's): no time at all.
        d = new Tattrib(*frame_, listSource({sub}));
        QVERIFY(!d->Edit1->isEnabled());
        QVERIFY(!d->Button3->isEnabled());
        d->close();

        // One file: its time in the locale's form; "Now" replaces it with a time
        // the field reads back; unchanged, the run keeps the exact stamp.
        struct timespec exact[2] = {{0, UTIME_OMIT}, {1600000000, 123456789}};
        ::utimensat(AT_FDCWD, a.c_str(), exact, 0);
        d = new Tattrib(*frame_, listSource({a}));
        const QString shown = d->Edit1->text();
        QVERIFY(!shown.isEmpty());
        const QByteArray text = shown.toUtf8();
        auto parsed = ops::parseTimeField(std::string_view(text.constData(), size_t(text.size())),
                                          Tattrib::localeFormat());
        QVERIFY(parsed);
        QCOMPARE(parsed->sec, int64_t(1600000000));
        d->Button3Click();
        const QByteArray now = d->Edit1->text().toUtf8();
        QVERIFY(ops::parseTimeField(std::string_view(now.constData(), size_t(now.size())),
                                    Tattrib::localeFormat()));
        d->Edit1->setText(shown);
        QVERIFY(runAndClose(d));
        QCOMPARE(mtimeOf(a).tv_nsec, 123456789L);
    }

    // An item that cannot be changed is named with the reason in one box; the
    // items after it are still done and the dialog closes. A dangling link in
    // the selection has nothing to change and is passed over in silence.
    void failuresAreToldTogetherAndTheRestIsDone() {
        const std::string gone1 = tmp_->writeFile("gone1.txt", "1");
        const std::string gone2 = tmp_->writeFile("gone2.txt", "2");
        const std::string kept = tmp_->writeFile("kept.txt", "k");
        const std::string dangling = tmp_->makeLink("dangling", "nowhere");
        ::chmod(kept.c_str(), 0644);
        auto* d = new Tattrib(*frame_, listSource({gone1, dangling, gone2, kept}));
        ::unlink(gone1.c_str());
        ::unlink(gone2.c_str());
        d->Readonlycheck->setBoxState(ops::BoxState::Checked);
        QVERIFY(runAndClose(d));
        QCOMPARE(told_.size(), 1);
        QCOMPARE(told_[0],
                 QString::fromStdString("Could not update " + gone1 + ": No such file or directory\n" +
                                        "Could not update " + gone2 + ": No such file or directory"));
        QCOMPARE(modeOf(kept), 0444u);
    }

    // From a folder window: the window rereads with the "format" signal and keeps
    // its selection, and its entries show the new flags.
    void windowsOnTheFolderRereadKeepingTheSelection() {
        tmp_->writeFile("w/one.txt", "1");
        tmp_->writeFile("w/two.txt", "2");
        tmp_->writeFile("w/three.txt", "3");
        const std::string folder = *tmp_ / "w";
        auto* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, folder));
        QVERIFY(w);
        QTRY_VERIFY(!w->reading());
        w->selectNames({"two.txt", "one.txt"});
        QTRY_COMPARE(w->selectedNames().size(), size_t(2));
        frame_->activateChild(w);
        Tattrib* d = Tattrib::open(*frame_);
        QVERIFY(d);
        QCOMPARE(d->view().items.size(), size_t(2));
        d->Readonlycheck->setBoxState(ops::BoxState::Checked);
        QSignalSpy reread(w, &FileWindow::listRead);
        QVERIFY(runAndClose(d));
        QTRY_VERIFY(reread.count() >= 1);
        QTRY_VERIFY(!w->reading());
        QCOMPARE(w->selectedNames(), (std::vector<std::string>{"one.txt", "two.txt"}));
        const lists::FileListModel& core = w->fileList().core();
        const auto flagsOf = [&](const char* name) {
            return core.entry(std::size_t(core.findName(name))).attributes;
        };
        QVERIFY(flagsOf("one.txt") & 0x1u);  // the read-only flag, as the list shows it
        QVERIFY(flagsOf("two.txt") & 0x1u);
        QVERIFY(!(flagsOf("three.txt") & 0x1u));
    }

    // From the search results: the selected rows show the new flags at once.
    void searchResultsShowTheChange() {
        const std::string a = tmp_->writeFile("s/found.txt", "f");
        ::chmod(a.c_str(), 0644);
        Tfindform* find = Tfindform::open(*frame_);
        QVERIFY(find);
        QVERIFY(frame_->state().fromSearch);
        find->results()->append({FindResultRow{*tmp_ / "s/", "found.txt", 1, 0, 0}});
        find->resultsView->selectionModel()->select(find->results()->index(0, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        Tattrib* d = Tattrib::open(*frame_);
        QVERIFY(d);
        d->Readonlycheck->setBoxState(ops::BoxState::Checked);
        QVERIFY(runAndClose(d));
        QCOMPARE(modeOf(a), 0444u);
        QVERIFY(find->results()->row(0).attributes & 0x1u);
        find->close();
    }
};

QTEST_MAIN(AttribTest)
#include "attrib_test.moc"

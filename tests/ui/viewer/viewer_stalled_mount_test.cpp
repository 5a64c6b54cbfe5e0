// Viewers and a mount that stops answering (the test's FUSE file system): the auto
// viewer following a selection onto it and File Viewer on one of its files must
// keep the event loop running, and a late answer must not undo a newer choice.
#include <QMessageBox>
#include <QTest>
#include <chrono>
#include <memory>

#include "core/app/bounded_call.h"
#include "support/stall_fs.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/mdimain.h"
#include "ui/stall_watch.h"
#include "ui/viewer/mdiview.h"

using namespace arbel;
using namespace arbel::ui;
using namespace std::chrono_literals;
using viewer::ViewKind;

namespace {

// The mount stalls for seconds: a limit well below that tells a stall the user would
// feel from the scheduler's noise on a loaded two-core machine running tests in parallel.
constexpr qint64 kMountStallLimitMs = 1000;
// Past the interface's deadline for a question about one item, with room for a slow machine.
constexpr int kPastDeadlineMs = 10000;

}  // namespace

class ViewerStalledMountTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theAutoViewerFollowsPastAStalledFileAndKeepsTheNewerChoice();
    void fileViewerOnAStalledFileOpensLateOrIsReported();

private:
    std::unique_ptr<Tmdimain> makeFrame() {
        auto frame = std::make_unique<Tmdimain>(FrameOptions{tmp_->path() + "/Arbelwin.cfg", false});
        frame->show();
        (void)QTest::qWaitFor([&] { return !frame->startupPending(); }, 5000);
        return frame;
    }

    std::unique_ptr<test::TempDir> tmp_;
    std::unique_ptr<test::StallFs> fs_;
    QStringList messages_;
};

void ViewerStalledMountTest::init() {
    const std::string why = test::StallFs::unavailableReason();
    if (!why.empty()) QSKIP(why.c_str());
    tmp_ = std::make_unique<test::TempDir>();
    fs_ = std::make_unique<test::StallFs>(tmp_->makeDir("mnt"));
    QVERIFY2(fs_->mounted(), "the test file system could not be mounted");
    messages_.clear();
    setMessageInterceptor([this](const MessageRequest& r) {
        messages_ << r.text;
        return QMessageBox::Ok;
    });
}

void ViewerStalledMountTest::cleanup() {
    setMessageInterceptor({});
    fs_.reset();  // answers what still waits, then unmounts
    tmp_.reset();
}

void ViewerStalledMountTest::theAutoViewerFollowsPastAStalledFileAndKeepsTheNewerChoice() {
    const std::string local = tmp_->writeFile("local.txt", "near\n");
    auto frame = makeFrame();
    Tmdiview* autoView = openAutoViewer(*frame, "");
    QVERIFY(autoView);

    fs_->stall(10s);
    test::StallWatch watch;
    autoViewerFollow(*frame, fs_->slow() + "/notes.txt");
    QTRY_VERIFY(fs_->waiting() > 0);
    QCOMPARE(int(autoView->shownKind()), int(ViewKind::None));

    // The selection moves on before the mount answers: the newer file is shown, and
    // the stalled one, answering later but within the deadline, does not replace it.
    autoViewerFollow(*frame, local);
    QTRY_COMPARE(int(autoView->shownKind()), int(ViewKind::Text));
    fs_->release();
    QTRY_COMPARE(fs_->waiting(), 0);
    QTest::qWait(300);
    QVERIFY(!autoView->loading());
    QCOMPARE(autoView->shownPath(), local);
    QCOMPARE(int(autoView->shownKind()), int(ViewKind::Text));

    // One that never answers in time is not followed, and nothing is said.
    fs_->stall(10s);
    autoViewerFollow(*frame, fs_->slow() + "/tool");
    QTRY_VERIFY_WITH_TIMEOUT(fs_->waiting() > 0, 2000);
    QTest::qWait(int(app::kItemAnswerDeadline.count()) + 500);
    QCOMPARE(autoView->shownPath(), local);
    QVERIFY(messages_.isEmpty());
    qInfo("auto viewer following onto the stalled mount: longest stall %lld ms", watch.longest());
    QVERIFY2(watch.longest() < kMountStallLimitMs, QByteArray::number(watch.longest()));
}

void ViewerStalledMountTest::fileViewerOnAStalledFileOpensLateOrIsReported() {
    auto frame = makeFrame();
    const std::string notes = fs_->slow() + "/notes.txt";

    // Answered late: the viewer opens then, and is handed to the caller.
    fs_->stall(10s);
    test::StallWatch watch;
    Tmdiview* late = nullptr;
    QVERIFY(!openFileViewer(*frame, notes, [&](Tmdiview* v) { late = v; }));
    QTRY_VERIFY(fs_->waiting() > 0);
    QTest::qWait(200);
    QVERIFY(!late);
    fs_->release();
    QTRY_VERIFY(late);
    late->waitForLoad();
    QCOMPARE(int(late->shownKind()), int(ViewKind::Text));
    QCOMPARE(late->shownPath(), notes);
    QCOMPARE(frame->activeChild(), static_cast<ChildWindow*>(late));

    // Never answered in time: the user is told, and no viewer opens.
    fs_->stall(10s);
    bool opened = false;
    QVERIFY(!openFileViewer(*frame, fs_->slow() + "/tool", [&](Tmdiview*) { opened = true; }));
    QTRY_VERIFY_WITH_TIMEOUT(!messages_.isEmpty(), kPastDeadlineMs);
    QVERIFY2(messages_.front().contains(QStringLiteral("does not answer")), qPrintable(messages_.front()));
    QVERIFY(!opened);
    QCOMPARE(frame->activeChild(), static_cast<ChildWindow*>(late));
    qInfo("File Viewer on the stalled mount: longest stall %lld ms", watch.longest());
    QVERIFY2(watch.longest() < kMountStallLimitMs, QByteArray::number(watch.longest()));
}

QTEST_MAIN(ViewerStalledMountTest)
#include "viewer_stalled_mount_test.moc"

// Questions about items asked for the interface: a quick answer comes at once, a
// slow one through the event loop, a hanging one (a named pipe opened for
// reading, as a stat on a dead mount) ends in "no answer" at the deadline while
// the windows keep working; nothing reaches a context that is gone.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <thread>

#include "support/temp_dir.h"
#include "ui/app/bounded_task.h"

using namespace arbel;
using namespace arbel::ui;
using namespace std::chrono_literals;

namespace {

// Opening a pipe's writing end lets its blocked reader go.
void releasePipe(const std::string& pipe) {
    const int fd = ::open(pipe.c_str(), O_WRONLY);
    if (fd >= 0) ::close(fd);
}

std::function<int()> readPipe(const std::string& pipe) {
    return [pipe] {
        const int fd = ::open(pipe.c_str(), O_RDONLY);
        if (fd >= 0) ::close(fd);
        return 7;
    };
}

}  // namespace

class BoundedTaskTest : public QObject {
    Q_OBJECT
private slots:
    void quickAnswerIsDeliveredBeforeTheCallReturns() {
        QObject context;
        std::optional<int> got;
        bool called = false;
        runBounded<int>(
            &context, [] { return 42; },
            [&](std::optional<int> a) {
                called = true;
                got = a;
            });
        QVERIFY(called);
        QCOMPARE(got, std::optional<int>(42));
    }

    void slowAnswerArrivesLaterOnce() {
        QObject context;
        int calls = 0;
        std::optional<int> got;
        runBounded<int>(
            &context,
            [] {
                std::this_thread::sleep_for(200ms);
                return 5;
            },
            [&](std::optional<int> a) {
                ++calls;
                got = a;
            });
        QCOMPARE(calls, 0);  // not waited for
        QTRY_COMPARE(calls, 1);
        QCOMPARE(got, std::optional<int>(5));
        QTest::qWait(100);
        QCOMPARE(calls, 1);
    }

    void hangingQuestionEndsWithoutAnswerAtTheDeadline() {
        test::TempDir dir;
        const std::string pipe = dir / "pipe";
        QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
        QObject context;
        int calls = 0;
        std::optional<int> got = 1;
        QElapsedTimer clock;
        clock.start();
        bool ticked = false;
        QTimer::singleShot(100, [&] { ticked = true; });  // the event loop keeps running
        runBounded<int>(
            &context, readPipe(pipe),
            [&](std::optional<int> a) {
                ++calls;
                got = a;
            },
            400ms);
        QVERIFY(clock.elapsed() < 300);
        QTRY_COMPARE(calls, 1);
        QVERIFY(ticked);
        QVERIFY(clock.elapsed() >= 390);
        QCOMPARE(got, std::nullopt);
        // The late answer is dropped.
        releasePipe(pipe);
        QTest::qWait(150);
        QCOMPARE(calls, 1);
    }

    void nothingReachesAContextThatIsGone() {
        test::TempDir dir;
        const std::string pipe = dir / "pipe";
        QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
        int calls = 0;
        {
            auto context = std::make_unique<QObject>();
            runBounded<int>(
                context.get(), readPipe(pipe), [&](std::optional<int>) { ++calls; }, 300ms);
        }
        releasePipe(pipe);
        QTest::qWait(500);
        QCOMPARE(calls, 0);
    }
};

QTEST_MAIN(BoundedTaskTest)
#include "bounded_task_test.moc"

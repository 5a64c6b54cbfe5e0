// One Arbel a session, on a private session bus started for the test: this
// process is the first Arbel; a real second `arbel PATH` and `gdbus call`s from
// outside must land as folder windows (with the item selected) in its frame.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QUrl>
#include <csignal>
#include <memory>

#include "support/temp_dir.h"
#include "ui/app/single_instance.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/ops/properties_window.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

using Names = std::vector<std::string>;

// The folder windows of the frame, by the folder shown.
FileWindow* windowOn(Tmdimain& frame, const std::string& folder) {
    for (ChildWindow* w : frame.children()) {
        auto* list = dynamic_cast<FileWindow*>(w);
        if (list && w->kind() == app::ActiveKind::List && list->shownFolder() == folder) return list;
    }
    return nullptr;
}

int listWindows(Tmdimain& frame) {
    int n = 0;
    for (ChildWindow* w : frame.children()) n += w->kind() == app::ActiveKind::List;
    return n;
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private:
    QProcess daemon_;
    QString address_;
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    std::unique_ptr<SingleInstance> instance_;

    QDBusConnection bus() { return QDBusConnection(QStringLiteral("arbel-test-bus")); }

    // Runs a program against the private bus (arguments and folder as bytes:
    // QProcess would re-encode them) and lets the frame answer it meanwhile.
    // Gives its exit code; what it wrote on stderr goes to *errors.
    int run(std::vector<std::string> argv, const std::string& cwd = {}, std::string* errors = nullptr) {
        std::vector<std::string> envStrings;
        for (char** e = environ; *e; ++e) {
            std::string_view v(*e);
            if (!v.starts_with("DBUS_SESSION_BUS_ADDRESS=") && !v.starts_with("PWD=") &&
                !v.starts_with("QT_QPA_PLATFORM=") && !v.starts_with("XDG_RUNTIME_DIR="))
                envStrings.emplace_back(v);
        }
        envStrings.push_back("DBUS_SESSION_BUS_ADDRESS=" + address_.toStdString());
        envStrings.push_back("QT_QPA_PLATFORM=offscreen");
        const std::string runtime = tmp_->makeDir("runtime");
        ::chmod(runtime.c_str(), 0700);
        envStrings.push_back("XDG_RUNTIME_DIR=" + runtime);
        std::vector<char*> args, env;
        for (std::string& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        for (std::string& e : envStrings) env.push_back(e.data());
        env.push_back(nullptr);
        const std::string errPath = *tmp_ / "stderr.txt";
        const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (errFd < 0) return -1;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(errFd, 2);
            if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
            ::execvpe(args[0], args.data(), env.data());
            ::_exit(127);
        }
        ::close(errFd);
        if (pid < 0) return -1;
        int status = 0;
        QElapsedTimer clock;
        clock.start();
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (clock.elapsed() > 60000) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return -2;
            }
            QTest::qWait(20);
        }
        if (errors) *errors = arbel::test::readFile(errPath);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
    }
    int gdbusCall(const QString& method, const QStringList& args) {
        std::vector<std::string> all{"gdbus",         "call",
                                     "--address",     address_.toStdString(),
                                     "--dest",        "org.freedesktop.FileManager1",
                                     "--object-path", "/org/freedesktop/FileManager1",
                                     "--method",      "org.freedesktop.FileManager1." + method.toStdString()};
        for (const QString& a : args) all.push_back(a.toStdString());
        return run(all);
    }
    static QString uri(const std::string& path) {
        return QString::fromLatin1(
            QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))).toEncoded());
    }

private slots:
    void initTestCase() {
        daemon_.setProgram(QStringLiteral("dbus-daemon"));
        daemon_.setArguments(
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        daemon_.start();
        QVERIFY2(daemon_.waitForStarted(10000), "dbus-daemon (package dbus-daemon) did not start");
        QTRY_VERIFY_WITH_TIMEOUT(daemon_.canReadLine(), 10000);
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        QVERIFY(!address_.isEmpty());
        QVERIFY(QDBusConnection::connectToBus(address_, QStringLiteral("arbel-test-bus")).isConnected());
    }
    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(QStringLiteral("arbel-test-bus"));
        daemon_.kill();
        daemon_.waitForFinished();
    }
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        frame_ = std::make_unique<Tmdimain>(FrameOptions{*tmp_ / "Arbelwin.cfg", false});
        frame_->resize(900, 700);
        frame_->show();
        instance_ = std::make_unique<SingleInstance>(bus());
    }
    void cleanup() {
        instance_.reset();
        frame_->state().viewerMode = app::ViewerMode::Closing;
        frame_.reset();
        tmp_.reset();
    }

    void requestsWaitForTheStartAndOpenFoldersOrSelectFiles() {
        const std::string docs = tmp_->makeDir("docs");
        tmp_->writeFile("docs/a.txt", "a");
        tmp_->writeFile("docs/b.txt", "b");
        const std::string other = tmp_->makeDir("other");
        // The command line's own paths and an early request: nothing before the deferred start.
        QVERIFY(!instance_->handOver({docs}));
        QVERIFY(frame_->startupPending());
        instance_->serve(*frame_, {docs + "/a.txt", *tmp_ / "gone"});
        instance_->open({other, docs + "/b.txt"}, app::ShowMode::Contents, {});
        QCOMPARE(listWindows(*frame_), 0);
        QTRY_VERIFY(!frame_->startupPending());
        QTRY_COMPARE(listWindows(*frame_), 3);
        FileWindow* first = windowOn(*frame_, docs);
        QVERIFY(first);
        QTRY_COMPARE(first->selectedNames(), Names{"a.txt"});
        QVERIFY(windowOn(*frame_, other));
        // The later request opens a window of its own on the same folder.
        QCOMPARE(frame_->windowsShowingFolder(docs).size(), 2);
    }

    void secondArbelHandsItsPathsOverAndEnds() {
        QVERIFY(!instance_->handOver({}));
        QVERIFY(instance_->ownsInstanceName());
        instance_->serve(*frame_, {});
        QTRY_VERIFY(!frame_->startupPending());
        const std::string odd = "caf\xe9 \xff.txt";  // not UTF-8: travels as bytes
        const std::string docs = tmp_->makeDir("some/folder");
        tmp_->writeFile("some/folder/" + odd, "x");
        const std::string pics = tmp_->makeDir("pics");

        std::string errors;
        const std::string arbel = ARBEL_PROGRAM;
        QCOMPARE(run({arbel, pics}, {}, &errors), 0);
        QVERIFY2(errors.empty(), errors.c_str());
        QTRY_VERIFY(windowOn(*frame_, pics));
        QCOMPARE(listWindows(*frame_), 1);

        // A relative file path, taken from the second process's own folder.
        QCOMPARE(run({arbel, "folder/" + odd}, *tmp_ / "some", &errors), 0);
        QVERIFY2(errors.empty(), errors.c_str());
        QTRY_VERIFY(windowOn(*frame_, docs));
        QTRY_COMPARE(windowOn(*frame_, docs)->selectedNames(), Names{odd});

        // --help and --version never reach the running one; a fault refuses the start.
        QCOMPARE(run({arbel, "--version", docs}), 0);
        QCOMPARE(run({arbel, "--no-such-option", docs}, {}, &errors), 2);
        QVERIFY2(errors.find("--no-such-option") != std::string::npos, errors.c_str());
        QTest::qWait(200);
        QCOMPARE(listWindows(*frame_), 2);
    }

    void fileManagerInterfaceShowsItemsSelected() {
        instance_->serve(*frame_, {});
        QTRY_VERIFY(!frame_->startupPending());
        const std::string docs = tmp_->makeDir("docs");
        tmp_->writeFile("docs/my file.txt", "x");
        tmp_->writeFile("docs/other.txt", "y");
        const std::string sub = tmp_->makeDir("docs/sub");
        const std::string pics = tmp_->makeDir("pics");

        QCOMPARE(
            gdbusCall(QStringLiteral("ShowItems"),
                      {QStringLiteral("['%1', '%2']").arg(uri(docs + "/my file.txt"), uri(sub)), QString()}),
            0);
        QTRY_VERIFY(windowOn(*frame_, docs));
        FileWindow* shown = windowOn(*frame_, docs);
        // Selected names come in list order: folders first.
        QTRY_COMPARE(shown->selectedNames(), (Names{"sub", "my file.txt"}));
        QCOMPARE(listWindows(*frame_), 1);
        QCOMPARE(frame_->activeChild(), shown);

        // Folders open on their contents; other URIs are passed over.
        QCOMPARE(gdbusCall(QStringLiteral("ShowFolders"),
                           {QStringLiteral("['%1', 'https://example.org/x', '%2']").arg(uri(sub), uri(pics)),
                            QStringLiteral("token")}),
                 0);
        QTRY_COMPARE(listWindows(*frame_), 3);
        QVERIFY(windowOn(*frame_, sub));
        QVERIFY(windowOn(*frame_, pics));

        // Properties: the item's own properties window, and no folder window.
        QCOMPARE(gdbusCall(QStringLiteral("ShowItemProperties"),
                           {QStringLiteral("['%1']").arg(uri(docs + "/other.txt")), QString()}),
                 0);
        PropertiesWindow* props = nullptr;
        QTRY_VERIFY((props = frame_->findChild<PropertiesWindow*>()) != nullptr);
        QCOMPARE(props->path(), docs + "/other.txt");
        QCOMPARE(listWindows(*frame_), 3);
    }

    void withoutABusArbelStartsOnItsOwn() {
        instance_.reset();
        SingleInstance alone(QDBusConnection(QStringLiteral("no-such-connection")));
        QVERIFY(!alone.connected());
        const std::string docs = tmp_->makeDir("docs");
        QVERIFY(!alone.handOver({docs}));
        alone.serve(*frame_, {docs});
        QTRY_VERIFY(windowOn(*frame_, docs));
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"

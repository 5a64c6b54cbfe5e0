// The launching commands on the offscreen platform: a real frame, real programs.
// A recording script writes down the folder it runs in and its arguments, so
// each test sees what a started program got. The desktop (applications, content
// types, default applications) is a private one made before anything asks GIO.
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "core/config/ini_file.h"
#include "core/config/settings.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/launch/gotoform.h"
#include "ui/launch/launch_hooks.h"
#include "ui/launch/runform.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/search/findform.h"

using namespace arbel;
using namespace arbel::ui;
using arbel::test::exists;
using arbel::test::readFile;

namespace {

// NUL-separated: the working folder, then each argument.
const char* kRecorder =
    "#!/bin/sh\n"
    "printf '%s\\0' \"$(pwd -P)\" \"$@\" > \"$ARBEL_TEST_RECORD.part\"\n"
    "/bin/mv \"$ARBEL_TEST_RECORD.part\" \"$ARBEL_TEST_RECORD\"\n";

std::string realFolder(const std::string& p) {
    char* r = ::realpath(p.c_str(), nullptr);
    std::string out = r ? r : p;
    std::free(r);
    return out;
}

QString bytesText(const std::string& s) {
    return displayPath(s);
}

}  // namespace

class LaunchDialogsTest : public QObject {
    Q_OBJECT
private:
    arbel::test::TempDir desktop_;  // lives for the whole run: GIO reads it once
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    QStringList said_;
    std::string record_;

    std::string cfg() const { return tmp_->path() + "/Arbelwin.cfg"; }
    std::string recorder(const std::string& relative) {
        const std::string path = tmp_->writeFile(relative, kRecorder);
        ::chmod(path.c_str(), 0755);
        return path;
    }
    // The folder and the arguments the recorder got; empty when it did not run.
    std::vector<std::string> waitForRecord(int ms = 10000) {
        (void)QTest::qWaitFor([&] { return exists(record_); }, ms);
        const std::string raw = exists(record_) ? readFile(record_) : std::string();
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t i = 0; i < raw.size(); ++i)
            if (raw[i] == '\0') {
                fields.push_back(raw.substr(start, i - start));
                start = i + 1;
            }
        ::unlink(record_.c_str());
        return fields;
    }
    FileWindow* folderWindow(const std::string& folder, std::vector<std::string> select = {}) {
        auto* w = qobject_cast<FileWindow*>(openFolderWindow(*frame_, folder, std::move(select)));
        if (w) {
            (void)QTest::qWaitFor([w] { return !w->reading(); }, 10000);
            QTest::qWait(50);  // the selection is made once the read is in
            frame_->activateChild(w);
        }
        return w;
    }
    void writeConfig(std::string_view section,
                     const std::vector<std::pair<std::string, std::string>>& lines) {
        config::IniFile ini(cfg());
        ini.writeKeyedHistory(section, lines);
    }
    std::vector<std::pair<std::string, std::string>> configLines(std::string_view section) {
        config::IniFile ini(cfg());
        std::vector<std::pair<std::string, std::string>> out;
        for (const char* key : {"1", "2", "3", "4", "5"}) {
            const std::string v = ini.readString(section, key, "\x01");
            if (v != "\x01") out.emplace_back(key, v);
        }
        return out;
    }

private slots:
    void initTestCase() {
        setenv("XDG_DATA_HOME", desktop_.makeDir("data").c_str(), 1);
        setenv("XDG_DATA_DIRS", desktop_.makeDir("sysdata").c_str(), 1);
        setenv("XDG_CONFIG_HOME", desktop_.makeDir("config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", desktop_.makeDir("sysconfig").c_str(), 1);
        const std::string app = desktop_.writeFile("bin/recorder", kRecorder);
        ::chmod(app.c_str(), 0755);
        desktop_.writeFile("data/mime/globs2", "50:application/x-arbel-test:*.arbeltest\n");
        desktop_.writeFile("data/applications/arbel-recorder.desktop",
                           "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + app +
                               "\" --opened %f\nMimeType=application/x-arbel-test;\n");
        desktop_.writeFile("config/mimeapps.list",
                           "[Default Applications]\napplication/x-arbel-test=arbel-recorder.desktop\n");
        record_ = desktop_ / "record";
        setenv("ARBEL_TEST_RECORD", record_.c_str(), 1);
    }
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        said_.clear();
        setMessageInterceptor([this](const MessageRequest& r) {
            said_ << r.text;
            return QMessageBox::Ok;
        });
        frame_ = std::make_unique<Tmdimain>(FrameOptions{cfg(), false});
        frame_->show();
        (void)QTest::qWaitFor([&] { return !frame_->startupPending(); }, 2000);
        ::unlink(record_.c_str());
    }
    void cleanup() {
        frame_.reset();
        launchHooks() = {};
        setMessageInterceptor({});
        tmp_.reset();
    }

    // Run from a folder window: the selected file is offered, the command runs in
    // the shown folder with its words split as a shell splits them, and the
    // history takes the line as typed at key 1; an entry equal to it loses its key.
    void runDialogRunsInTheShownFolderAndNumbersTheHistory() {
        const std::string shown = tmp_->makeDir("Shown caf\xe9");
        recorder("Shown caf\xe9/Rec.sh");
        const std::string line = "Rec.sh \"two words\" 'it\"s' \xe9t\xe9 $HOME";
        writeConfig(config::sections::Runs, {{"1", "Old One"}, {"2", line}, {"3", "Other"}});
        const std::string cwd = realFolder(".");

        QVERIFY(folderWindow(shown, {"Rec.sh"}));
        frame_->actions().action(FrameAction::Run)->trigger();
        auto* run = qobject_cast<Trunform*>(frame_->openDialog(app::DialogTag::RunForm));
        QVERIFY(run);
        QCOMPARE(run->folder(), shown);
        QCOMPARE(run->Edit1->text(), QStringLiteral("Rec.sh"));
        QCOMPARE(run->ComboBox1->count(), 3);

        // The history entry holds the non-UTF-8 bytes; choosing it runs them.
        run->ComboBox1->setCurrentIndex(1);
        QPointer<Trunform> alive(run);
        run->Button1->click();
        const std::vector<std::string> got = waitForRecord();
        QCOMPARE(got,
                 (std::vector<std::string>{realFolder(shown), "two words", "it\"s", "\xe9t\xe9", "$HOME"}));
        QTRY_VERIFY(!alive);
        QCOMPARE(frame_->state().activeDialog, app::DialogTag::None);
        QCOMPARE(configLines(config::sections::Runs), (std::vector<std::pair<std::string, std::string>>{
                                                          {"1", line}, {"2", "Old One"}, {"4", "Other"}}));
        QCOMPARE(realFolder("."), cwd);  // Arbel's own folder never moved
        QVERIFY(said_.isEmpty());
    }

    // What cannot run is said; the dialog stays open and the history unchanged.
    void runDialogSaysWhatCannotRun() {
        writeConfig(config::sections::Runs, {{"1", "kept"}});
        const std::string broken = tmp_->writeFile("broken.sh", "#!/no/such/interpreter\n");
        ::chmod(broken.c_str(), 0755);
        frame_->actions().action(FrameAction::Run)->trigger();
        auto* run = qobject_cast<Trunform*>(frame_->openDialog(app::DialogTag::RunForm));
        QVERIFY(run);

        run->Edit1->setText(QStringLiteral("no-such-program-anywhere --flag"));
        run->Button1->click();
        QTRY_COMPARE(said_, QStringList{"Cannot run specified file."});

        said_.clear();
        run->Edit1->setText(QStringLiteral("prog \"never closed"));
        run->Button1->click();
        QTRY_COMPARE(said_, QStringList{"Cannot run specified file."});

        said_.clear();
        run->Edit1->setText(bytesText(broken));
        run->Button1->click();
        QTRY_COMPARE(said_.size(), 1);
        QVERIFY(said_[0].startsWith(QString("Unable to launch ") + bytesText(broken) +
                                    "\n\rThe application or associated application is invalid."));
        QVERIFY(said_[0].size() >
                QString("Unable to launch \n\r").size() + qsizetype(broken.size()) + 60);  // and why

        QCOMPARE(frame_->openDialog(app::DialogTag::RunForm), run);
        QCOMPARE(configLines(config::sections::Runs),
                 (std::vector<std::pair<std::string, std::string>>{{"1", "kept"}}));
        run->Button2->click();
        QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);
    }

    // Go to: starts on the selected sub-folder (a non-UTF-8 name), browses
    // without moving Arbel's own folder, and opens a folder window on the bytes.
    void gotoDialogOpensTheFolderAsTyped() {
        const std::string odd = tmp_->makeDir("caf\xe9 Folder");
        tmp_->makeDir("caf\xe9 Folder/Inner");
        tmp_->writeFile("caf\xe9 Folder/file.txt");
        writeConfig(config::sections::Folders, {{"1", "/first"}, {"2", odd}, {"3", "/third"}});
        const std::string cwd = realFolder(".");

        QVERIFY(folderWindow(tmp_->path(), {"caf\xe9 Folder"}));
        frame_->actions().action(FrameAction::FolderAs)->trigger();
        auto* go = qobject_cast<Tgotoform*>(frame_->openDialog(app::DialogTag::GotoForm));
        QVERIFY(go);
        QCOMPARE(go->windowTitle(), QStringLiteral("Type or select a folder"));
        QTRY_COMPARE(go->browsedFolder(), odd);
        QCOMPARE(go->Edit1->text(), bytesText(odd));
        // The browser: the chain from the root, then the one sub-folder (no file).
        QListWidget* list = go->DirectoryListBox1;
        QCOMPARE(list->item(list->count() - 1)->text().trimmed(), QStringLiteral("Inner"));
        QVERIFY(go->DriveComboBox1->count() > 0);

        // Into Inner and back up: browsing only.
        QSignalSpy browsed(go, &Tgotoform::browsed);
        emit list->itemDoubleClicked(list->item(list->count() - 1));
        QTRY_COMPARE(go->browsedFolder(), odd + "/Inner");
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text().trimmed() == displayPath("caf\xe9 Folder"))
                emit list->itemClicked(list->item(i));
        QCOMPARE(go->Edit1->text(), bytesText(odd));
        QCOMPARE(realFolder("."), cwd);
        // Keys move through the list: Edit1 follows; Enter opens what it shows.
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(go->Edit1->text(), bytesText(odd));
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(go->Edit1->text(), bytesText(odd + "/Inner"));
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(go->Edit1->text(), bytesText(odd));

        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(!frame_->openDialog(app::DialogTag::GotoForm));
        ChildWindow* opened = frame_->currentOf(app::ActiveKind::List);
        QVERIFY(opened);
        QCOMPARE(opened->shownPath(), odd);
        QCOMPARE(configLines(config::sections::Folders), (std::vector<std::pair<std::string, std::string>>{
                                                             {"1", odd}, {"2", "/first"}, {"4", "/third"}}));
    }

    void gotoDialogRefusesWhatIsNoFolder() {
        const std::string file = tmp_->writeFile("Plain.txt");
        frame_->actions().action(FrameAction::FolderAs)->trigger();
        auto* go = qobject_cast<Tgotoform*>(frame_->openDialog(app::DialogTag::GotoForm));
        QVERIFY(go);
        const int windows = int(frame_->children().size());
        for (const std::string& typed : {tmp_->path() + "/Missing", file}) {
            said_.clear();
            go->Edit1->setText(bytesText(typed));
            go->Button1->click();
            QTRY_COMPARE(said_, QStringList{"That directory does not exist"});
            QCOMPARE(go->Edit1->text(), bytesText(typed));
        }
        QCOMPARE(int(frame_->children().size()), windows);
        QCOMPARE(frame_->openDialog(app::DialogTag::GotoForm), go);
        QVERIFY(configLines(config::sections::Folders).empty());
    }

    // Edit: the editor is located once and stored; Shift asks again; a folder is
    // never handed over, a file is.
    void editHandsAFileNeverAFolder() {
        const std::string first = recorder("bin/first-editor");
        const std::string second = recorder("bin/second-editor");
        const std::string file = tmp_->writeFile("work/notes one.txt", "x");
        tmp_->makeDir("work/sub");
        QStringList titles;
        std::string choice = first;
        bool shift = false;
        launchHooks().locateProgram = [&](QWidget*, const QString& title) -> std::optional<std::string> {
            titles << title;
            if (choice.empty()) return std::nullopt;
            return choice;
        };
        launchHooks().shiftHeld = [&] { return shift; };

        QVERIFY(folderWindow(tmp_->path() + "/work", {"sub"}));
        frame_->actions().action(FrameAction::Edit)->trigger();
        QCOMPARE(titles, QStringList{"Locate Your Editor Program"});
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "editor", ""), first);
        QCOMPARE(waitForRecord(), (std::vector<std::string>{realFolder(".")}));  // no file

        QVERIFY(folderWindow(tmp_->path() + "/work", {"notes one.txt"}));
        frame_->actions().action(FrameAction::Edit)->trigger();
        QCOMPARE(titles.size(), 1);  // the stored editor is used
        QCOMPARE(waitForRecord().back(), file);

        // Shift held: chosen again and stored before the start.
        shift = true;
        choice = second;
        frame_->actions().action(FrameAction::Edit)->trigger();
        QCOMPARE(titles.size(), 2);
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "editor", ""), second);
        QCOMPARE(waitForRecord().back(), file);

        // Cancelled: nothing starts and the choice stays.
        choice.clear();
        frame_->actions().action(FrameAction::Edit)->trigger();
        QCOMPARE(titles.size(), 3);
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "editor", ""), second);
        QVERIFY(waitForRecord(300).empty());

        // The right button only locates.
        shift = false;
        choice = first;
        frame_->editbutRightClick();
        QCOMPARE(titles.size(), 4);
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "editor", ""), first);
        QVERIFY(waitForRecord(300).empty());
    }

    void copyDisketteStartsTheChosenProgramOrSaysWhy() {
        const std::string tool = recorder("bin/disk tool");
        QStringList titles;
        launchHooks().locateProgram = [&](QWidget*, const QString& title) -> std::optional<std::string> {
            titles << title;
            return tool;
        };
        frame_->copydiskbutClick();
        QCOMPARE(titles, QStringList{"Locate Your DiskCopy Program"});
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "diskcopy", ""), tool);
        QCOMPARE(waitForRecord().size(), size_t(1));

        // The stored program went away: the start fails and says so.
        ::unlink(tool.c_str());
        frame_->copydiskbutClick();
        QCOMPARE(said_.size(), 1);
        QVERIFY(said_[0].startsWith("Unable to launch " + bytesText(tool)));
    }

    // The system find: a desktop search tool on the PATH starts in the home
    // folder; without one Arbel's own search window opens there.
    void systemFindPrefersTheDesktopToolElseOwnSearch() {
        const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        const std::string home = tmp_->makeDir("home");
        const std::string tools = tmp_->makeDir("tools");
        recorder("tools/catfish");
        setenv("HOME", home.c_str(), 1);
        setenv("PATH", tools.c_str(), 1);
        frame_->findbutRightClick();
        const std::vector<std::string> got = waitForRecord();
        setenv("PATH", tmp_->makeDir("empty").c_str(), 1);
        QCOMPARE(got, std::vector<std::string>{realFolder(home)});
        QVERIFY(!Tfindform::instance());

        frame_->findbutRightClick();
        setenv("PATH", savedPath.c_str(), 1);
        setenv("HOME", savedHome.c_str(), 1);
        QVERIFY(Tfindform::instance());
        QCOMPARE(Tfindform::instance()->startFolder(), home);
        Tfindform::instance()->close();
        QTRY_VERIFY(!Tfindform::instance());
    }

    // Enter on a file: a program runs in its own folder, a document opens with the
    // default application of its type, a document of no known kind says why.
    void openSelectedItemRunsProgramsAndOpensDocuments() {
        const std::string folder = tmp_->makeDir("items");
        recorder("items/run me");
        const std::string doc = tmp_->writeFile("items/report \xe9.arbeltest", "x");
        tmp_->writeFile("items/plain.arbelnone", "x");

        QVERIFY(folderWindow(folder, {"run me"}));
        frame_->actions().action(FrameAction::SelectedItem)->trigger();
        QCOMPARE(waitForRecord(), (std::vector<std::string>{realFolder(folder)}));

        QVERIFY(folderWindow(folder, {"report \xe9.arbeltest"}));
        frame_->actions().action(FrameAction::SelectedItem)->trigger();
        const std::vector<std::string> got = waitForRecord();
        QVERIFY(got.size() == 3);
        QCOMPARE(got[1], std::string("--opened"));
        QCOMPARE(got[2], doc);

        QVERIFY(folderWindow(folder, {"plain.arbelnone"}));
        frame_->actions().action(FrameAction::SelectedItem)->trigger();
        QTRY_COMPARE(said_.size(), 1);
        QVERIFY(said_[0].startsWith("Unable to launch "));
        QVERIFY(said_[0].contains("no application"));
    }
};

QTEST_MAIN(LaunchDialogsTest)
#include "launch_dialogs_test.moc"

// Create Shortcut on the offscreen platform: a real frame, a private home whose
// desktop and applications folders are temporary, message boxes answered by an
// interceptor, and the written entries read back by their own parser.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "core/commands/command_id.h"
#include "core/config/ini_file.h"
#include "core/lists/desktop_entry.h"
#include "core/ops/names.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/shortcuts/folder_list_box.h"
#include "ui/shortcuts/shortcut_properties.h"
#include "ui/shortcuts/shortcutform.h"

using namespace arbel;
using namespace arbel::ui;
using arbel::test::exists;
using arbel::test::readFile;

namespace {

// GLib reads the user's folders once per process: the home is made before main.
struct PrivateHome {
    arbel::test::TempDir dir;
    PrivateHome() {
        setenv("HOME", dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.makeDir("config").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        dir.writeFile("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Desk top\"\n");
    }
};
PrivateHome& home() {
    static PrivateHome h;
    return h;
}
const bool homeMade = (home(), true);

std::string desk() {
    return home().dir / "Desk top";
}

}  // namespace

class ShortcutDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    QStringList shown_;

    std::string cfg() const { return tmp_->path() + "/Arbelwin.cfg"; }
    DialogSource source(app::ActiveKind kind, std::vector<std::string> items) {
        DialogSource s;
        s.kind = kind;
        s.gathered.items = std::move(items);
        s.gathered.firstItem = s.gathered.items.front();
        s.windowFolder = kind == app::ActiveKind::Dir ? s.gathered.firstItem : tmp_->path();
        return s;
    }
    static std::string urlOf(const std::string& file) {
        return lists::readDesktopEntry(file).get("URL").value_or("?");
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        arbel::test::removeTree(desk());
        arbel::test::removeTree(home().dir / "data");
        shown_.clear();
        setMessageInterceptor([this](const MessageRequest& r) {
            shown_ << r.text;
            return QMessageBox::Ok;
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

    // From the frame: one selected file proposes "Shortcut to" + its name; Enter
    // writes the edited name onto the desktop (made when missing) and closes.
    void oneFileFromFolderWindowGoesOnDesktopWithEnter() {
        const std::string file = tmp_->writeFile("docs/report 100%.txt", "r");
        auto* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, *tmp_ / "docs"));
        QVERIFY(w);
        QVERIFY(QTest::qWaitFor([&] { return !w->reading(); }, 10000));
        frame_->activateChild(w);
        w->selectAll(true);
        frame_->runCommand(commands::Command::Shortcut);
        QPointer<Tshortcutform> d =
            qobject_cast<Tshortcutform*>(frame_->openDialog(app::DialogTag::Shortcut));
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Create Shortcut"));
        QCOMPARE(d->Edit1->text(), QStringLiteral("Shortcut to report 100%.txt"));
        QVERIFY(d->desktopcheck->isChecked());
        QVERIFY(!d->Panel1->isVisible());
        d->Edit1->setText(QStringLiteral("The report"));
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        QTRY_VERIFY(!d);
        QCOMPARE(urlOf(desk() + "/The report.desktop"),
                 std::string("file://") + *tmp_ / "docs/report%20100%25.txt");
        QCOMPARE(frame_->state().activeDialog, app::DialogTag::None);
        QVERIFY(shown_.isEmpty());
    }

    // Several entries: named after themselves, with the prefix when it is checked;
    // Ctrl+Enter keeps the dialog open; the prefix choice is kept across openings.
    void severalEntriesWithPrefixAndCtrlEnter() {
        const std::string a = tmp_->writeFile("a.txt"), b = tmp_->writeFile("b.txt");
        auto* d = new Tshortcutform(*frame_, source(app::ActiveKind::List, {a, b}));
        QPointer<Tshortcutform> open = d;
        d->show();
        QVERIFY(d->Panel1->isVisible());
        QVERIFY(!d->prefixcheck->isChecked());
        d->prefixcheck->setChecked(true);
        QTest::keyClick(d->Edit1, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(open);
        QCOMPARE(urlOf(desk() + "/Shortcut to a.txt.desktop"), "file://" + a);
        QCOMPARE(urlOf(desk() + "/Shortcut to b.txt.desktop"), "file://" + b);
        d->close();
        QTRY_VERIFY(!open);
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "prefix", "?"), std::string("yes"));

        auto* again = new Tshortcutform(*frame_, source(app::ActiveKind::List, {a, b}));
        QVERIFY(again->prefixcheck->isChecked());
        again->prefixcheck->setChecked(false);
        again->Button1Click();
        QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);
        QVERIFY(exists(desk() + "/a.txt.desktop"));
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "prefix", "?"), std::string());
    }

    // "On Startmenu" opens the folder list at the applications folder (made for a
    // new account); the shortcut goes to the folder chosen there.
    void startMenuFolderListChoosesTheDestination() {
        const std::string folder = tmp_->makeDir("My Tools");
        auto* d = new Tshortcutform(*frame_, source(app::ActiveKind::Dir, {folder}));
        QPointer<Tshortcutform> open = d;
        d->show();
        QCOMPARE(d->Edit1->text(), QStringLiteral("Shortcut to My Tools"));
        QVERIFY(!d->Panel1->isVisible());
        QVERIFY(!d->DirectoryListBox1->isVisible());
        d->RadioButton2->click();
        QVERIFY(d->DirectoryListBox1->isVisible());
        const std::string apps = home().dir / "data/applications";
        QCOMPARE(d->DirectoryListBox1->directory(), apps);
        // A menu folder made meanwhile appears once the list is shown again.
        QVERIFY(home().dir.makeDir("data/applications/Games").size() > 0);
        d->DirectoryListBox1->setDirectory(apps);
        auto found = d->DirectoryListBox1->findItems(QStringLiteral("Games"), Qt::MatchEndsWith);
        QCOMPARE(found.size(), 1);
        emit d->DirectoryListBox1->itemActivated(found.front());
        QCOMPARE(d->DirectoryListBox1->directory(), apps + "/Games");
        d->Button1Click();
        QTRY_VERIFY(!open);
        QCOMPARE(urlOf(apps + "/Games/Shortcut to My Tools.desktop"),
                 "file://" + tmp_->path() + "/My%20Tools");
        d = new Tshortcutform(*frame_, source(app::ActiveKind::Dir, {folder}));
        d->RadioButton2->click();
        d->desktopcheck->click();
        QVERIFY(!d->DirectoryListBox1->isVisible());
        d->close();
    }

    // Failures are told and the dialog stays: a name with "/", and a shortcut that
    // cannot be written.
    void failuresAreReportedAndTheDialogStays() {
        const std::string a = tmp_->writeFile("a.txt");
        auto* d = new Tshortcutform(*frame_, source(app::ActiveKind::List, {a}));
        QPointer<Tshortcutform> open = d;
        d->show();
        d->Edit1->setText(QStringLiteral("../escape"));
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        QVERIFY(open);
        QCOMPARE(shown_, QStringList{QString::fromUtf8(ops::kInvalidName)});
        QVERIFY(!exists(home().dir / "escape.desktop"));

        home().dir.makeDir("Desk top/Blocked.desktop");
        d->Edit1->setText(QStringLiteral("Blocked"));
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        QVERIFY(open);
        QCOMPARE(shown_.size(), 2);
        QVERIFY2(shown_[1].startsWith(QStringLiteral("Could not create shortcut Blocked: ")),
                 qPrintable(shown_[1]));
        d->close();
    }

    // Shortcut Properties on the one selected launcher shows what it starts, and
    // nothing opens for a plain file.
    void shortcutPropertiesShowsTheLaunchersTarget() {
        const std::string program = tmp_->writeFile("bin/run me", "#!/bin/sh\n");
        tmp_->writeFile("apps/tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\nExec=\"" +
                                                 program +
                                                 "\" --fast \"two words\" %f\nPath=/srv\nComment=Does it\n");
        tmp_->writeFile("apps/plain.txt", "x");
        auto* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, *tmp_ / "apps", {"tool.desktop"}));
        QVERIFY(w);
        QVERIFY(QTest::qWaitFor([&] { return !w->reading() && w->selectedNames().size() == 1; }, 10000));
        frame_->activateChild(w);
        frame_->Shortcut2Click();
        ShortcutProperties* props = nullptr;
        QTRY_VERIFY((props = frame_->findChild<ShortcutProperties*>()) != nullptr);
        QCOMPARE(props->windowTitle(), QStringLiteral("Tool Properties"));
        QCOMPARE(props->targetEdit->text(), QString::fromStdString(program));
        QCOMPARE(props->argumentsEdit->text(), QStringLiteral("--fast \"two words\""));
        QCOMPARE(props->folderEdit->text(), QStringLiteral("/srv"));
        QCOMPARE(props->commentEdit->text(), QStringLiteral("Does it"));
        props->close();
        QTRY_VERIFY(!frame_->findChild<ShortcutProperties*>());
        QVERIFY(!ShortcutProperties::open(frame_.get(), *tmp_ / "apps/plain.txt"));
    }
};

QTEST_MAIN(ShortcutDialogTest)
#include "shortcut_dialog_test.moc"

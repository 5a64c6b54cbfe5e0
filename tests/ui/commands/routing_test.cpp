// Command routing on the offscreen platform: the real frame with a real folder
// window on a temporary folder, driven through keys, buttons and menus, checked on
// the disk, in the window and in the settings file.
#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "core/config/ini_file.h"
#include "support/temp_dir.h"
#include "ui/app/command_targets.h"
#include "ui/app/message_box.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/frame_toolbar.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/tree/mdisubdir.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

// One volume: a folder of the test's temporary tree.
class TempVolumes : public tree::VolumeSource {
public:
    std::vector<Volume> vols;
    std::vector<Volume> list() override { return vols; }
    std::vector<VolumeState> probe(const std::vector<Volume>& v) override {
        return std::vector<VolumeState>(v.size(), VolumeState{true, 7, false});
    }
};

}  // namespace

class RoutingTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TempDir> tmp_;
    std::unique_ptr<test::TempDir> cfgDir_;
    std::unique_ptr<Tmdimain> frame_;
    QStringList messages_;
    QMessageBox::StandardButton answer_ = QMessageBox::Ok;
    QStringList opened_;

    std::string cfg() const { return cfgDir_->path() + "/Arbelwin.cfg"; }

    FileWindow* openWindow() {
        auto* w = qobject_cast<FileWindow*>(openFolderWindow(*frame_, tmp_->path()));
        if (!w) return nullptr;
        w->fileList().waitForRead();
        if (!QTest::qWaitFor([w] { return !w->reading(); }, 5000)) qWarning("folder still reading");
        QTest::qWait(20);
        return w;
    }
    int rowOf(FileWindow* w, const std::string& name) {
        for (int r = 0; r < w->fileList().rowCount(); ++r)
            if (w->fileList().core().name(static_cast<std::size_t>(r)) == name) return r;
        return -1;
    }
    void select(FileWindow* w, const std::string& name) {
        const int row = rowOf(w, name);
        QVERIFY2(row >= 0, name.c_str());
        w->listView().selectionModel()->select(w->fileList().index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QWidget* listFocus(FileWindow* w) {
        QWidget* control = w->mainControl();
        control->setFocus();
        return QApplication::focusWidget() ? QApplication::focusWidget() : control;
    }
    std::string readFilter(const char* key) {
        return config::IniFile(cfg()).readString("Maskspecs", key, "<missing>");
    }

private slots:
    void init() {
        tmp_ = std::make_unique<test::TempDir>();
        cfgDir_ = std::make_unique<test::TempDir>();
        messages_.clear();
        opened_.clear();
        answer_ = QMessageBox::Ok;
        setMessageInterceptor([this](const MessageRequest& r) {
            messages_ << r.text;
            return answer_;
        });
        commandHooks().openDocument = [this](const std::string& p) {
            opened_ << QString::fromStdString(p);
            return true;
        };
        frame_ = std::make_unique<Tmdimain>(FrameOptions{cfg(), false});
        frame_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        frame_->activateWindow();
        QTRY_VERIFY(!frame_->startupPending());
    }
    void cleanup() {
        frame_.reset();
        setMessageInterceptor({});
        commandHooks().openDocument = {};
    }

    void filterFieldTakesDeleteAndEnterAppliesTheFilter() {
        tmp_->writeFile("a.txt", "a");
        tmp_->writeFile("b.log", "b");
        FileWindow* w = openWindow();
        QVERIFY(w);
        select(w, "a.txt");
        QLineEdit* edit = frame_->viewPanel()->maskedit;
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        edit->setText(QStringLiteral("*.txtx"));
        edit->setCursorPosition(5);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("*.txt"));
        QVERIFY(test::exists(tmp_->path() + "/a.txt"));

        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(w->filter(), std::string("*.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(!w->reading(), 5000);
        QCOMPARE(w->fileList().rowCount(), 1);
        QCOMPARE(readFilter("1"), std::string("*.txt"));
        QCOMPARE(frame_->viewPanel()->maskbox->itemText(1), QStringLiteral("*.txt"));
        QVERIFY(opened_.isEmpty());  // Enter in the field never opens the selected item

        // F9 goes back to every file; "*.*" itself is never stored.
        QTest::keyClick(listFocus(w), Qt::Key_F9);
        QCOMPARE(w->filter(), std::string("*.*"));
        QCOMPARE(readFilter("1"), std::string("*.txt"));
        QCOMPARE(readFilter("2"), std::string("<missing>"));
    }

    void enterOnItemsOpensFilesAndFolders() {
        tmp_->writeFile("doc.txt", "d");
        tmp_->makeDir("sub");
        FileWindow* w = openWindow();
        QVERIFY(w);
        select(w, "doc.txt");
        QTest::keyClick(listFocus(w), Qt::Key_Return);
        // The item is asked about off the interface thread: the answer may come later.
        QTRY_COMPARE(opened_, QStringList{QString::fromStdString(tmp_->path() + "/doc.txt")});

        w->listView().selectionModel()->clearSelection();
        select(w, "sub");
        const int before = frame_->children().size();
        QTest::keyClick(listFocus(w), Qt::Key_Return);
        QTRY_COMPARE(frame_->children().size(), before + 1);
        QCOMPARE(frame_->activeChild()->shownPath(), tmp_->path() + "/sub");
    }

    void changeOfCaseRenamesAndNeverReplaces() {
        tmp_->writeFile("a.txt", "lower");
        tmp_->writeFile("A.TXT", "upper");
        tmp_->writeFile("my notes.md", "n");
        FileWindow* other = openWindow();  // a second window on the same folder
        FileWindow* w = openWindow();
        QVERIFY(w && other && w != other);

        select(w, "a.txt");
        QTest::keyClick(listFocus(w), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(messages_, QStringList{QString::fromStdString("Cannot convert " + tmp_->path() + "/a.txt")});
        QCOMPARE(test::readFile(tmp_->path() + "/a.txt"), std::string("lower"));
        QCOMPARE(test::readFile(tmp_->path() + "/A.TXT"), std::string("upper"));

        // Several items: the failure asks whether to go on; Cancel stops before the rest.
        messages_.clear();
        answer_ = QMessageBox::Cancel;
        select(w, "my notes.md");
        QTest::keyClick(listFocus(w), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].contains(QStringLiteral("Continue with other files?")));
        QVERIFY(test::exists(tmp_->path() + "/my notes.md") != test::exists(tmp_->path() + "/MY NOTES.MD"));

        // Going on renames what can be renamed, and the window shows the new name.
        messages_.clear();
        answer_ = QMessageBox::Ok;
        QTRY_VERIFY_WITH_TIMEOUT(!w->reading(), 5000);
        w->listView().selectionModel()->clearSelection();
        const std::string notes = test::exists(tmp_->path() + "/my notes.md") ? "my notes.md" : "MY NOTES.MD";
        select(w, notes);
        QTest::keyClick(listFocus(w), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(messages_.isEmpty());
        const std::string title = notes == "my notes.md" ? "My Notes.md" : "MY NOTES.MD";
        QVERIFY(test::exists(tmp_->path() + "/" + title));
        QTRY_VERIFY_WITH_TIMEOUT(rowOf(w, title) >= 0, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(rowOf(other, title) >= 0, 5000);
        QCOMPARE(frame_->activeChild(), static_cast<ChildWindow*>(w));  // the other one was only refreshed
    }

    void selectAllFilesKeepsASelectedFolder() {
        tmp_->makeDir("keep");
        tmp_->makeDir("other");
        tmp_->writeFile("x.bin", "x");
        tmp_->writeFile("y.bin", "y");
        FileWindow* w = openWindow();
        QVERIFY(w);
        select(w, "keep");
        emit frame_->toolBar()->selectbut->rightClicked();
        std::vector<std::string> names = w->selectedNames();
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (std::vector<std::string>{"keep", "x.bin", "y.bin"}));

        // Shift+/ (the key that carries "?") reaches Select All Files as well.
        w->listView().selectionModel()->clearSelection();
        select(w, "other");
        QTest::keyClick(listFocus(w), Qt::Key_Question, Qt::ShiftModifier);
        names = w->selectedNames();
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (std::vector<std::string>{"other", "x.bin", "y.bin"}));

        // Ctrl+/ selects everything.
        QTest::keyClick(listFocus(w), Qt::Key_Slash, Qt::ControlModifier);
        QCOMPARE(w->selectedNames().size(), std::size_t(4));
    }

    void menusFollowTheSelectionOnlyWhileOpen() {
        tmp_->writeFile("f.txt", "f");
        FileWindow* w = openWindow();
        QVERIFY(w);
        QMenu* file = frame_->actions().menu(FrameMenu::File);
        QAction* copy = frame_->actions().action(FrameAction::Copy);
        QAction* rename = frame_->actions().action(FrameAction::Rename);
        emit file->aboutToShow();
        QVERIFY(!copy->isEnabled());
        emit file->aboutToHide();
        QVERIFY(copy->isEnabled());  // the shortcut reaches the gate again

        select(w, "f.txt");
        emit file->aboutToShow();
        QVERIFY(copy->isEnabled());
        QVERIFY(rename->isEnabled());
        emit file->aboutToHide();

        // Files Only (Ctrl+F) hides folders; the View menu checks it.
        QTest::keyClick(listFocus(w), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(!w->showFolders());
        QVERIFY(!frame_->viewPanel()->shdirs->isChecked());
        QMenu* view = frame_->actions().menu(FrameMenu::View);
        emit view->aboutToShow();
        QVERIFY(frame_->actions().action(FrameAction::FilesOnly)->isChecked());
        emit view->aboutToHide();

        // Choosing the current sort key again reverses it; the menu checks the key.
        const bool reversed = w->sortReversed();
        frame_->actions().action(FrameAction::SortName)->trigger();
        QCOMPARE(w->sortKey(), lists::FileInfo::Name);
        QCOMPARE(w->sortReversed(), !reversed);
        frame_->actions().action(FrameAction::SortSize)->trigger();
        QCOMPARE(w->sortKey(), lists::FileInfo::Size);
        QVERIFY(!w->sortReversed());
        frame_->actions().action(FrameAction::SortReverse)->trigger();
        QVERIFY(w->sortReversed());
        emit frame_->actions().sortMenu()->aboutToShow();
        QVERIFY(frame_->actions().action(FrameAction::SortSize)->isChecked());
        QVERIFY(!frame_->actions().action(FrameAction::SortName)->isChecked());

        // The Details button reaches the window.
        frame_->viewPanel()->detailsbut->click();
        QCOMPARE(w->displayStyle(), DisplayStyle::Report);

        // Ctrl+T cycles the display style from the one that is down.
        const DisplayStyle before = w->displayStyle();
        QTest::keyClick(listFocus(w), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(static_cast<int>(w->displayStyle()), (static_cast<int>(before) + 1) % 4);
    }

    void treeGatesKnowTheVolumesMountPoint() {
        tmp_->makeDir("vol/home/docs");
        TempVolumes volumes;
        Volume v;
        v.mountPoint = tmp_->path() + "/vol";
        v.type = DriveType::Fixed;
        volumes.vols.push_back(v);
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(tmp_->path() + "/vol/home"));
        auto* tree = new Tmdisubdir(*frame_, &volumes);
        qputenv("HOME", savedHome);
        frame_->activateChild(tree);
        QCOMPARE(frame_->state().activeKind, app::ActiveKind::Dir);
        QVERIFY(tree->DirTree1().GoToDir(tmp_->path() + "/vol/home").ok());
        QCOMPARE(tree->selectedFolder(), tmp_->path() + "/vol/home");

        QMenu* file = frame_->actions().menu(FrameMenu::File);
        emit file->aboutToShow();
        QVERIFY(frame_->actions().action(FrameAction::Copy)->isEnabled());
        QVERIFY(!frame_->actions().action(FrameAction::ChangeCaseMenu)->isEnabled());
        emit file->aboutToHide();

        // Ctrl+D opens the tree's folder in a folder window.
        QTest::keyClick(tree->mainControl(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(frame_->activeChild()->shownPath(), tmp_->path() + "/vol/home");

        // At the volume's mount point the item commands are refused, the label is not.
        frame_->activateChild(tree);
        QVERIFY(tree->DirTree1().GoToDir(tmp_->path() + "/vol").ok());
        emit file->aboutToShow();
        QVERIFY(!frame_->actions().action(FrameAction::Copy)->isEnabled());
        QVERIFY(!frame_->actions().action(FrameAction::Delete)->isEnabled());
        QVERIFY(frame_->actions().action(FrameAction::Rename)->isEnabled());
        emit file->aboutToHide();
        frame_->state().viewerMode = app::ViewerMode::Closing;
    }
};

QTEST_MAIN(RoutingTest)
#include "routing_test.moc"

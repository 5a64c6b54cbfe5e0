// Window > Save to File and Folder Size through the real frame: the listings
// land in the listed folder and open in a maximised viewer, a refused write says
// which file and why; Folder Size counts on a worker, writes size cells or shows
// the tree's message, and a count stopped with Escape writes nothing.
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>
#include <memory>

#include "core/listing/listing.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/folder_size_runner.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/save_to_file.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/tree/dir_tree_model.h"
#include "ui/tree/dir_tree_view.h"
#include "ui/tree/mdisubdir.h"
#include "ui/viewer/mdiview.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

class OneVolume : public tree::VolumeSource {
public:
    std::vector<Volume> vols;
    std::vector<Volume> list() override { return vols; }
    std::vector<VolumeState> probe(const std::vector<Volume>& v) override {
        return std::vector<VolumeState>(v.size(), VolumeState{true, 7, false});
    }
};

int rowOf(FileWindow* w, const QString& name) {
    for (int r = 0; r < w->fileList().rowCount(); ++r)
        if (w->fileList().displayName(r) == name) return r;
    return -1;
}

}  // namespace

class SaveAndSizeTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    OneVolume volumes_;
    QStringList messages_;

    FileWindow* openList(const std::string& folder) {
        auto* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, folder));
        if (w) (void)QTest::qWaitFor([w] { return !w->reading(); }, 10000);
        return w;
    }
    void select(FileWindow* w, const QStringList& names) {
        auto* sel = w->listView().selectionModel();
        sel->clearSelection();
        for (const QString& n : names) {
            int r = rowOf(w, n);
            QVERIFY2(r >= 0, qPrintable(n));
            sel->select(w->fileList().index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QString cell(FileWindow* w, const QString& name, int column) {
        return w->fileList().index(rowOf(w, name), column).data().toString();
    }
    QAction* action(FrameAction a) { return frame_->actions().action(a); }
    Tmdiview* viewer() { return qobject_cast<Tmdiview*>(frame_->currentOf(app::ActiveKind::Viewer)); }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        tmp_->writeFile("work/a.txt", "hello");
        tmp_->writeFile("work/sub/.hidden", std::string(1000, 'x'));
        tmp_->writeFile("work/sub/inner/b", std::string(536, 'x'));
        tmp_->makeDir("empty");
        volumes_.vols.clear();
        Volume v;
        v.mountPoint = tmp_->path();
        v.type = DriveType::Fixed;
        volumes_.vols.push_back(v);
        frame_ = std::make_unique<Tmdimain>(FrameOptions{*tmp_ / "Arbelwin.cfg", false});
        frame_->resize(900, 700);
        frame_->show();
        QTRY_VERIFY(!frame_->startupPending());
        messages_.clear();
        setMessageInterceptor([this](const MessageRequest& r) {
            messages_ << r.text;
            return QMessageBox::Ok;
        });
    }
    void cleanup() {
        setMessageInterceptor({});
        frame_->state().viewerMode = app::ViewerMode::Closing;
        frame_.reset();
        tmp_.reset();
    }

    void entireFolderWindowIsSavedListedAndShownMaximised() {
        FileWindow* w = openList(*tmp_ / "work");
        QVERIFY(w);
        action(FrameAction::SaveEntire)->trigger();
        const std::string file = *tmp_ / "work/Arbel List.txt";
        const std::string text = arbel::test::readFile(file);
        QVERIFY(text.starts_with("\r\nDirectory of " + *tmp_ / "work" + "\r\n  1 file/5 bytes 1 folder\r\n"));
        QVERIFY(text.find("\r\n  <DIR> sub\r\n\t\t          \t") != std::string::npos);
        QVERIFY(text.find("\r\n        a.txt\r\n\t\t         5\t") != std::string::npos);
        // The folder's window lists the new file, and a viewer shows it maximised.
        QTRY_VERIFY(rowOf(w, "Arbel List.txt") >= 0);
        Tmdiview* v = viewer();
        QVERIFY(v);
        QVERIFY(v->isMaximized());
        QCOMPARE(v->windowTitle(), QString::fromStdString(file));
        QVERIFY(messages_.isEmpty());
    }

    void selectedItemsAndAnEmptyFolder() {
        FileWindow* w = openList(*tmp_ / "work");
        select(w, {"a.txt"});
        frame_->activateChild(w);
        action(FrameAction::SaveSelected)->trigger();
        const std::string text = arbel::test::readFile(*tmp_ / "work/Arbel List.txt");
        QVERIFY(text.starts_with("\r\nSelected Items in " + *tmp_ / "work" + "\r\n        a.txt\r\n"));
        QVERIFY(text.find("sub") == std::string::npos);

        FileWindow* e = openList(*tmp_ / "empty");
        frame_->activateChild(e);
        action(FrameAction::SaveEntire)->trigger();
        QCOMPARE(arbel::test::readFile(*tmp_ / "empty/Arbel List.txt"),
                 "\r\nDirectory of " + *tmp_ / "empty" + "\r\n  0 files/0 bytes \r\n");
    }

    void refusedWriteNamesTheFileAndChangesNothing() {
        tmp_->makeDir("work/Arbel List.txt");  // a folder where the listing would go
        FileWindow* w = openList(*tmp_ / "work");
        const int windows = frame_->children().size();
        action(FrameAction::SaveEntire)->trigger();
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].contains(QString::fromStdString(*tmp_ / "work/Arbel List.txt")));
        QVERIFY(messages_[0].contains("Is a directory"));
        QCOMPARE(frame_->children().size(), windows);  // no viewer
        QVERIFY(w);
    }

    void treeBranchAndWholeTree() {
        auto* tree = new Tmdisubdir(*frame_, &volumes_);
        QTreeView* view = tree->treeView();
        auto indexOf = [&](const std::string& p) {
            return view->model() ? tree->treeView()->dirModel()->indexOf(tree->DirTree1().FindNode(p))
                                 : QModelIndex();
        };
        QVERIFY(tree->DirTree1().GoToDir(*tmp_ / "work").ok());
        frame_->activateChild(tree);
        // Collapsed: nothing is written.
        view->collapse(indexOf(*tmp_ / "work/"));
        action(FrameAction::SaveSelected)->trigger();
        QCOMPARE(messages_, QStringList{kNoVisibleChildren});
        QVERIFY(!arbel::test::exists(*tmp_ / "work/Arbel Branch.txt"));

        view->expand(indexOf(*tmp_ / "work/"));
        QTRY_VERIFY(tree->DirTree1().FindNode(*tmp_ / "work/")->expanded());
        frame_->activateChild(tree);
        action(FrameAction::SaveSelected)->trigger();
        QCOMPARE(arbel::test::readFile(*tmp_ / "work/Arbel Branch.txt"),
                 "\r\n     " + *tmp_ / "work/" + "\r\n          |-sub\r\n");
        QVERIFY(viewer() && viewer()->isMaximized());

        frame_->activateChild(tree);
        action(FrameAction::SaveEntire)->trigger();
        const std::string whole = arbel::test::readFile(*tmp_ / "work/Arbel Branch.txt");
        QVERIFY(whole.starts_with("\r\nCombined Volumes\r\n     "));
        QVERIFY(whole.find("\r\n          |-work\r\n               |-sub\r\n") != std::string::npos);
    }

    void folderSizeWritesSizeCellsAndSwitchesToReport() {
        FileWindow* w = openList(*tmp_ / "work");
        w->setDisplayStyle(DisplayStyle::List);
        select(w, {"sub", "a.txt"});
        frame_->activateChild(w);
        QVERIFY(!FolderSizeRunner::current());
        QTest::keyClick(frame_.get(), Qt::Key_F4);
        FolderSizeRunner* runner = FolderSizeRunner::current();
        QVERIFY(runner);
        QSignalSpy finished(runner, &FolderSizeRunner::finished);
        QVERIFY(frame_->statusBar()->findChild<QWidget*>("image1"));
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toBool(), true);
        QCOMPARE(cell(w, "sub", 2).trimmed(), QString("1,536"));  // the dot file counts
        QCOMPARE(cell(w, "a.txt", 2).trimmed(), QString("5"));
        QCOMPARE(w->displayStyle(), DisplayStyle::Report);
        QTRY_VERIFY(!frame_->statusBar()->findChild<QWidget*>("image1"));
    }

    void escapeStopsTheCountAndNothingIsWritten() {
        FileWindow* w = openList(*tmp_ / "work");
        w->setDisplayStyle(DisplayStyle::List);
        select(w, {"sub"});
        frame_->activateChild(w);
        action(FrameAction::FolderSize)->trigger();
        FolderSizeRunner* runner = FolderSizeRunner::current();
        QVERIFY(runner);
        QSignalSpy finished(runner, &FolderSizeRunner::finished);
        QTest::keyClick(w->listView().currentView(), Qt::Key_Escape);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toBool(), false);
        QCOMPARE(cell(w, "sub", 2).trimmed(), QString());
        QCOMPARE(w->displayStyle(), DisplayStyle::List);
        QVERIFY(messages_.isEmpty());
    }

    void folderSizeOfTheTreeShowsTheMessage() {
        auto* tree = new Tmdisubdir(*frame_, &volumes_);
        QVERIFY(tree->DirTree1().GoToDir(*tmp_ / "work").ok());
        frame_->activateChild(tree);
        frame_->refreshbutRightClick();
        QVERIFY(FolderSizeRunner::current());
        QTRY_COMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].startsWith(QString::fromStdString(*tmp_ / "work") + "\nspace used:\n"));
        QVERIFY(
            messages_[0].contains("          1,541 bytes     \n          2 kb     \n          0.00 mb     "));
        QTRY_VERIFY(!FolderSizeRunner::current());
    }
};

QTEST_MAIN(SaveAndSizeTest)
#include "save_and_size_test.moc"

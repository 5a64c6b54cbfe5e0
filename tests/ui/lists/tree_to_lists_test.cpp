// From the tree to the file windows, as a user goes: a click in the tree feeds
// the auto-folder window after the tree's delay, Enter in the tree opens a
// folder window, Enter on a folder entry opens another one.
#include <QTest>
#include <QTreeView>
#include <memory>

#include "support/temp_dir.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/tree/dir_tree_model.h"
#include "ui/tree/dir_tree_view.h"
#include "ui/tree/mdisubdir.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

// The volumes of the test: one folder of a temporary tree.
class OneVolume : public tree::VolumeSource {
public:
    std::vector<Volume> vols;
    std::vector<Volume> list() override { return vols; }
    std::vector<VolumeState> probe(const std::vector<Volume>& v) override {
        return std::vector<VolumeState>(v.size(), VolumeState{true, 7, false});
    }
};

QStringList rowNames(FileWindow* w) {
    QStringList out;
    for (int r = 0; r < w->fileList().rowCount(); ++r) out << w->fileList().displayName(r);
    return out;
}

}  // namespace

class TreeToListsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    OneVolume volumes_;
    QByteArray savedHome_;

    Tmdisubdir* openTree() { return new Tmdisubdir(*frame_, &volumes_); }
    QModelIndex treeIndex(Tmdisubdir* tree, const std::string& folder) {
        return tree->treeView()->dirModel()->indexOf(tree->DirTree1().FindNode(folder));
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        tmp_->writeFile("home/docs/letter.txt", "dear");
        tmp_->writeFile("home/docs/inner/deep.txt", "x");
        tmp_->writeFile("home/notes.md", "n");
        volumes_.vols.clear();
        Volume v;
        v.mountPoint = tmp_->path();
        v.type = DriveType::Fixed;
        volumes_.vols.push_back(v);
        savedHome_ = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(*tmp_ / "home"));
        frame_ = std::make_unique<Tmdimain>(FrameOptions{*tmp_ / "Arbelwin.cfg", false});
        frame_->resize(900, 700);
        frame_->show();
        QTRY_VERIFY(!frame_->startupPending());
    }
    void cleanup() {
        frame_->state().viewerMode = app::ViewerMode::Closing;
        frame_.reset();
        qputenv("HOME", savedHome_);
        tmp_.reset();
    }

    void autoWindowFollowsATreeClickAfterTheDelay() {
        Tmdisubdir* tree = openTree();
        auto* autoWindow = dynamic_cast<FileWindow*>(openAutoFolderWindow(*frame_, *tmp_ / "home"));
        QVERIFY(autoWindow);
        QTRY_VERIFY(!autoWindow->reading());
        QCOMPARE(rowNames(autoWindow), (QStringList{"docs", "notes.md"}));
        frame_->activateChild(tree);

        QTreeView* view = tree->treeView();
        QModelIndex docs = treeIndex(tree, *tmp_ / "home/docs");
        QVERIFY(docs.isValid());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(docs).center());
        QCOMPARE(autoWindow->shownFolder(), *tmp_ / "home");  // not before the delay
        QTRY_COMPARE(autoWindow->shownFolder(), *tmp_ / "home/docs");
        QTRY_VERIFY(!autoWindow->reading());
        QCOMPARE(autoWindow->windowTitle(), QString::fromStdString("Auto: " + *tmp_ / "home/docs"));
        QCOMPARE(rowNames(autoWindow), (QStringList{"inner", "letter.txt"}));
        QCOMPARE(autoWindow->statusText(), QString("1 file/4 bytes 1 folder"));
    }

    void enterInTheTreeOpensAFolderWindowAndEnterOnAFolderAnother() {
        Tmdisubdir* tree = openTree();
        QVERIFY(tree->DirTree1().GoToDir(*tmp_ / "home/docs").ok());
        frame_->activateChild(tree);
        QTest::keyClick(tree->treeView(), Qt::Key_Return);
        ChildWindow* opened = nullptr;
        QTRY_VERIFY((opened = frame_->currentOf(app::ActiveKind::List)) != nullptr);
        auto* list = dynamic_cast<FileWindow*>(opened);
        QVERIFY(list);
        QCOMPARE(list->shownFolder(), *tmp_ / "home/docs");
        QTRY_VERIFY(!list->reading());
        QCOMPARE(rowNames(list), (QStringList{"inner", "letter.txt"}));

        // Enter on the folder entry "inner" opens a second folder window there.
        frame_->state().pendingUpdate = app::RefreshSignal::None;
        frame_->activateChild(list);
        list->listView().selectionModel()->select(
            list->fileList().index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list->listView().selectionModel()->setCurrentIndex(list->fileList().index(0, 0),
                                                           QItemSelectionModel::NoUpdate);
        QTest::keyClick(list->listView().currentView(), Qt::Key_Return);
        QTRY_VERIFY(frame_->currentOf(app::ActiveKind::List) != list);
        auto* second = dynamic_cast<FileWindow*>(frame_->currentOf(app::ActiveKind::List));
        QVERIFY(second);
        QCOMPARE(second->shownFolder(), *tmp_ / "home/docs/inner");
        QTRY_VERIFY(!second->reading());
        QCOMPARE(rowNames(second), (QStringList{"deep.txt"}));
        int folderWindows = 0;
        for (ChildWindow* c : frame_->children()) folderWindows += c->kind() == app::ActiveKind::List;
        QCOMPARE(folderWindows, 2);  // one Enter, one window
    }
};

QTEST_MAIN(TreeToListsTest)
#include "tree_to_lists_test.moc"

// The tree window on the offscreen platform: a real frame on a temporary settings
// file, volumes that are folders of a temporary tree.
#include <stdio.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include "core/app/placement.h"
#include "support/temp_dir.h"
#include "ui/app/child_window.h"
#include "ui/app/message_box.h"
#include "ui/drag_support.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/copier.h"
#include "ui/ops/deleter.h"
#include "ui/ops/file_label.h"
#include "ui/tree/dir_tree_model.h"
#include "ui/tree/dir_tree_view.h"
#include "ui/tree/mdisubdir.h"
#include "ui/tree/mount_notifier.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

class TempVolumes : public tree::VolumeSource {
public:
    std::vector<Volume> vols;
    std::vector<Volume> list() override { return vols; }
    std::vector<VolumeState> probe(const std::vector<Volume>& v) override {
        return std::vector<VolumeState>(v.size(), VolumeState{true, 7, false});
    }
};

// A stand-in auto-folder window that records what it was told to show.
class FakeAuto : public ChildWindow {
public:
    explicit FakeAuto(Tmdimain& frame) : ChildWindow(frame, app::ActiveKind::Auto) {
        setWidget(new QLineEdit(this));
        finishCreation();
    }
    void refreshWindow(app::RefreshSignal mode, const std::string& folder) override {
        if (mode == app::RefreshSignal::CaptionUpdate) shown.push_back(folder);
    }
    std::vector<std::string> shown;
};

// Rows the view really shows, walking it as a user scrolling down would.
int visibleRows(QTreeView* view) {
    int n = 0;
    for (QModelIndex i = view->model()->index(0, 0); i.isValid(); i = view->indexBelow(i)) ++n;
    return n;
}

}  // namespace

class TreeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsOnTheSavedFolderOrTheHomeFolder();
    void levelKeysExpandExactlyAndTheHeaderCountsWhatIsShown();
    void expandAllTerminatesOnLinkLoops();
    void saveSettingsWritesDirloadAndRestoreDefaultClearsIt();
    void closingOnlyMinimises();
    void aClickFeedsTheAutoWindowAfterTheDelayUnlessDoubleClicked();
    void rightButtonHeldShowsTheMenuAShortClickDoesNot();
    void menusRunTheFrameCommandsWithTheirTargets();
    void modelStaysValidThroughTreeOperations();
    void aClickOnAVanishedVolumeSaysSoAndLeavesTheAutoWindow();
    void expandingAnUnreadFolderInTheViewReadsIt();

private:
    Tmdisubdir* openTree();
    std::unique_ptr<test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    TempVolumes volumes_;
    QByteArray savedHome_;
};

void TreeWindowTest::init() {
    tmp_ = std::make_unique<test::TempDir>();
    tmp_->makeDir("a/b/c/d");
    tmp_->makeDir("a/e");
    tmp_->makeDir("home/docs");
    volumes_.vols.clear();
    Volume v;
    v.mountPoint = tmp_->path();
    v.type = DriveType::Fixed;
    volumes_.vols.push_back(v);
    savedHome_ = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(tmp_->path() + "/home"));
    frame_ = std::make_unique<Tmdimain>(FrameOptions{tmp_->path() + "/Arbelwin.cfg", false});
    frame_->resize(900, 700);
    frame_->show();
    QTRY_VERIFY(!frame_->startupPending());
}

void TreeWindowTest::cleanup() {
    frame_->state().viewerMode = app::ViewerMode::Closing;
    frame_.reset();
    qputenv("HOME", savedHome_);
    tmp_.reset();
}

Tmdisubdir* TreeWindowTest::openTree() {
    auto* w = new Tmdisubdir(*frame_, &volumes_);
    // Other tests running beside this one mount and unmount file systems; each
    // change would raise the selection notification again and feed the auto window
    // a second time. The volumes here are folders, so the mount table is not ours.
    for (MountNotifier* n : w->findChildren<MountNotifier*>()) n->blockSignals(true);
    return w;
}

void TreeWindowTest::startsOnTheSavedFolderOrTheHomeFolder() {
    Tmdisubdir* first = openTree();
    QCOMPARE(first->selectedFolder(), tmp_->path() + "/home");
    QCOMPARE(first->windowTitle(), QStringLiteral("Combined Volumes"));
    QCOMPARE(frame_->currentOf(app::ActiveKind::Dir), first);
    first->close();  // only minimised; the second window below is what we look at
    delete first;

    frame_->config().writeString(app::kWindowsSection, "dirload", tmp_->path() + "/a/b");
    Tmdisubdir* w = openTree();
    QCOMPARE(w->selectedFolder(), tmp_->path() + "/a/b");
    // The view shows it selected, and the folder is expanded one level.
    DirTreeView* view = w->treeView();
    tree::TreeNode* b = w->DirTree1().selected();
    QCOMPARE(view->currentIndex(), view->dirModel()->indexOf(b));
    QVERIFY(view->isExpanded(view->currentIndex()));
    QVERIFY(!view->isExpanded(view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/a/b/c"))));
    QCOMPARE(w->headerLabel()->text(), QString::number(visibleRows(view)) + " folders");
}

void TreeWindowTest::levelKeysExpandExactlyAndTheHeaderCountsWhatIsShown() {
    frame_->config().writeString(app::kWindowsSection, "dirload", tmp_->path() + "/a");
    Tmdisubdir* w = openTree();
    DirTreeView* view = w->treeView();
    auto indexOf = [&](const char* rel) {
        return view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/" + rel));
    };
    view->setFocus();
    QTest::keyClick(view, '#');  // "3": two levels below the folder
    QVERIFY(view->isExpanded(indexOf("a")));
    QVERIFY(view->isExpanded(indexOf("a/b")));
    QVERIFY(!view->isExpanded(indexOf("a/b/c")));
    QCOMPARE(w->headerLabel()->text(), QString::number(visibleRows(view)) + " folders");
    QCOMPARE(w->selectedFolder(), tmp_->path() + "/a");

    QTest::keyClick(view, '!');  // "1": read, then collapsed
    QVERIFY(!view->isExpanded(indexOf("a")));
    QCOMPARE(w->headerLabel()->text(), QString::number(visibleRows(view)) + " folders");

    QTest::keyClick(view, '+');  // one level
    QVERIFY(view->isExpanded(indexOf("a")));
    QVERIFY(!view->isExpanded(indexOf("a/b")));

    // Expanding by the view's own arrow reads the folder through the model.
    view->expand(indexOf("a/b"));
    QVERIFY(indexOf("a/b/c").isValid());
    QCOMPARE(w->headerLabel()->text(), QString::number(visibleRows(view)) + " folders");
}

void TreeWindowTest::expandAllTerminatesOnLinkLoops() {
    tmp_->makeLink("a/b/c/up", "../..");
    tmp_->makeLink("a/self", ".");
    frame_->config().writeString(app::kWindowsSection, "dirload", tmp_->path() + "/a");
    Tmdisubdir* w = openTree();
    QTest::keyClick(w->treeView(), '*');
    DirTreeView* view = w->treeView();
    QVERIFY(view->isExpanded(view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/a/b/c/d"))));
    tree::TreeNode* up = w->DirTree1().FindNode(tmp_->path() + "/a/b/c/up");
    QVERIFY(up && up->isLink() && !up->expanded());
    QCOMPARE(w->headerLabel()->text(), QString::number(visibleRows(view)) + " folders");
}

void TreeWindowTest::saveSettingsWritesDirloadAndRestoreDefaultClearsIt() {
    Tmdisubdir* w = openTree();
    QVERIFY(w->DirTree1().GoToDir(tmp_->path() + "/a/e").ok());
    w->systemCommand(kTreeSaveSettings);
    QCOMPARE(frame_->config().readString(app::kWindowsSection, "dirload", "?"), tmp_->path() + "/a/e");
    QCOMPARE(frame_->config().readString(app::kWindowsSection, "dirmax", ""), std::string("0"));

    // A folder name with a newline cannot be one line of the settings file.
    tmp_->makeDir("a/two\nlines");
    w->DirTree1().AddDirPath(tmp_->path() + "/a/two\nlines");
    QVERIFY(w->DirTree1().GoToDir(tmp_->path() + "/a/two\nlines").ok());
    QCOMPARE(w->selectedFolder(), tmp_->path() + "/a/two\nlines");
    w->systemCommand(kTreeSaveSettings);
    QCOMPARE(frame_->config().readString(app::kWindowsSection, "dirload", "?"), tmp_->path() + "/a/e");

    w->systemCommand(kTreeRestoreDefault);
    QCOMPARE(frame_->config().readString(app::kWindowsSection, "dirload", "?"), std::string());
}

void TreeWindowTest::closingOnlyMinimises() {
    Tmdisubdir* w = openTree();
    QPointer<Tmdisubdir> guard(w);
    w->close();
    QCoreApplication::processEvents();
    QVERIFY(guard);
    QVERIFY(w->isMinimized());
    QCOMPARE(frame_->currentOf(app::ActiveKind::Dir), w);
}

void TreeWindowTest::aClickFeedsTheAutoWindowAfterTheDelayUnlessDoubleClicked() {
    Tmdisubdir* w = openTree();
    // The start folder's sub-folders arrive from a worker: the clicks below must not
    // race their arrival.
    QTRY_COMPARE(w->treeView()->dirModel()->pendingExpansions(), 0);
    auto* autoWindow = new FakeAuto(*frame_);
    frame_->state().autoWindowOpen = true;
    frame_->activateChild(w);
    QSignalSpy settled(w, &Tmdisubdir::folderSettled);
    DirTreeView* view = w->treeView();
    QModelIndex docs = view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/home/docs"));
    QVERIFY(docs.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(docs).center());
    QCOMPARE(w->selectedFolder(), tmp_->path() + "/home/docs");
    QCOMPARE(settled.count(), 0);  // not at once
    QTRY_COMPARE(settled.count(), 1);
    QCOMPARE(autoWindow->shown, std::vector<std::string>{tmp_->path() + "/home/docs"});
    QCOMPARE(frame_->state().pendingUpdate, app::RefreshSignal::None);

    // A double click within the delay opens a folder window instead.
    QModelIndex home = view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/home"));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(home).center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(home).center());
    QTest::qWait(300);
    QCOMPARE(settled.count(), 1);
    QCOMPARE(autoWindow->shown.size(), size_t(1));
}

void TreeWindowTest::rightButtonHeldShowsTheMenuAShortClickDoesNot() {
    Tmdisubdir* w = openTree();
    DirTreeView* view = w->treeView();
    QModelIndex docs = view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/home/docs"));
    const QPoint at = view->visualRect(docs).center();
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
    QTest::qWait(600);
    QVERIFY(!w->contextMenu()->isVisible());
    QCOMPARE(w->selectedFolder(), tmp_->path() + "/home/docs");  // the press selected it

    QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
    QTRY_VERIFY(w->contextMenu()->isVisible());
    // A folder: the file items, not the disk items.
    QStringList shown;
    for (QAction* a : w->contextMenu()->actions())
        if (a->isVisible() && !a->isSeparator()) shown << a->text();
    QCOMPARE(shown, (QStringList{"Copy", "Move", "Delete", "Rename", "Attributes", "Properties", "Cancel"}));
    w->contextMenu()->close();
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
    QVERIFY(!w->dragMenu()->isVisible());  // released where pressed: no Copy/Move menu

    // Pressed on one folder, released on another: the Copy/Move menu.
    QModelIndex home = view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/home"));
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, view->visualRect(home).center());
    QVERIFY(w->dragMenu()->isVisible());
    QVERIFY(!w->contextMenu()->isVisible());
    w->dragMenu()->close();
}

// The context menu runs the frame's command of its id; the right-drag menu hands
// the folder it was dropped on to the copy dialog as its target.
void TreeWindowTest::menusRunTheFrameCommandsWithTheirTargets() {
    Tmdisubdir* w = openTree();
    DirTreeView* view = w->treeView();
    QModelIndex docs = view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/home/docs"));
    QModelIndex home = view->dirModel()->indexOf(w->DirTree1().FindNode(tmp_->path() + "/home"));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(docs).center());
    QTRY_COMPARE(w->selectedFolder(), tmp_->path() + "/home/docs");

    QAction* remove = nullptr;
    for (QAction* a : w->contextMenu()->actions())
        if (a->text() == QStringLiteral("Delete")) remove = a;
    QVERIFY(remove);
    remove->trigger();
    auto* del = qobject_cast<Tdel*>(frame_->openDialog(app::DialogTag::Delete));
    QVERIFY(del);
    QCOMPARE(del->label2->FileName(), tmp_->path() + "/home/docs");
    del->close();
    QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);

    QTest::mousePress(view->viewport(), Qt::RightButton, {}, view->visualRect(docs).center());
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, view->visualRect(home).center());
    QVERIFY(w->dragMenu()->isVisible());
    QAction* move = nullptr;
    for (QAction* a : w->dragMenu()->actions())
        if (a->text() == QStringLiteral("Move")) move = a;
    QVERIFY(move);
    move->trigger();
    w->dragMenu()->close();
    auto* copier = qobject_cast<Tcopier*>(frame_->openDialog(app::DialogTag::Copier));
    QVERIFY(copier);
    QCOMPARE(copier->mode(), Tcopier::Mode::Move);
    QCOMPARE(copier->ComboBox1->currentText(), QString::fromStdString(tmp_->path() + "/home"));
    QCOMPARE(copier->source().gathered.items, std::vector<std::string>{tmp_->path() + "/home/docs"});
    copier->close();
}

void TreeWindowTest::modelStaysValidThroughTreeOperations() {
    Tmdisubdir* w = openTree();
    DirTreeModel* model = w->treeView()->dirModel();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    tree::TDirTree& t = w->DirTree1();
    const std::string root = tmp_->path();
    QVERIFY(t.GoToDir(root + "/a/b/c").ok());
    tmp_->makeDir("a/b/aa/x");
    t.AddSubdir(root + "/a/b", "aa");
    QCOMPARE(::rename((root + "/a/b").c_str(), (root + "/a/zz").c_str()), 0);
    QVERIFY(t.RenameDir(root + "/a/b", "zz").ok());
    QCOMPARE(w->selectedFolder(), root + "/a/zz/c");
    QCOMPARE(w->treeView()->currentIndex(), model->indexOf(t.selected()));
    test::removeTree(root + "/a/zz/c");
    t.DeleteDir(root + "/a/zz/c");
    QCOMPARE(w->treeView()->currentIndex(), model->indexOf(t.FindNode(root + "/a/zz")));
    w->refreshWindow(app::RefreshSignal::None);
    QCOMPARE(w->selectedFolder(), root + "/a/zz");
    QCOMPARE(w->treeView()->currentIndex(), model->indexOf(t.selected()));
    QCOMPARE(t.checkConsistency(), std::vector<std::string>{});
    // A name that is not UTF-8 shows with a replacement character, its bytes kept.
    tmp_->makeDir("a/caf\xe9");
    t.AddSubdir(root + "/a", "caf\xe9");
    QModelIndex odd = model->indexOf(t.FindNode(root + "/a/caf\xe9"));
    QCOMPARE(odd.data(DirTreeModel::PathRole).toByteArray(), QByteArray::fromStdString(root + "/a/caf\xe9"));
    QVERIFY(odd.data().toString().startsWith(QStringLiteral("caf")));
    QVERIFY(odd.data().toString().contains(QChar(0xFFFD)));
    // Dragged out, the folder's URL still carries the exact bytes, for copying only.
    w->treeView()->scrollTo(odd);
    auto drag = dragtest::dragOut(w->treeView(), odd);
    QVERIFY(drag);
    QCOMPARE(drag->offered, Qt::DropActions(Qt::CopyAction));
    QMimeData carried;
    carried.setData(QStringLiteral("text/uri-list"), drag->uriList);
    QCOMPARE(carried.urls().size(), 1);
    QCOMPARE(QByteArray::fromPercentEncoding(carried.urls().front().path(QUrl::FullyEncoded).toLatin1()),
             QByteArray::fromStdString(root + "/a/caf\xe9"));
}

void TreeWindowTest::aClickOnAVanishedVolumeSaysSoAndLeavesTheAutoWindow() {
    tmp_->makeDir("vol/x");
    tmp_->makeDir("vol/y");
    Volume extra;
    extra.mountPoint = tmp_->path() + "/vol";
    extra.type = DriveType::Fixed;
    volumes_.vols.push_back(extra);
    Tmdisubdir* w = openTree();
    auto* autoWindow = new FakeAuto(*frame_);
    frame_->state().autoWindowOpen = true;
    QVERIFY(w->DirTree1().GoToDir(tmp_->path() + "/vol/x").ok());
    QTRY_COMPARE(autoWindow->shown.size(), size_t(1));
    QStringList messages;
    auto previous = setMessageInterceptor([&](const MessageRequest& r) {
        messages << r.text;
        return QMessageBox::Ok;
    });
    test::removeTree(tmp_->path() + "/vol");
    w->treeView()->selectNode(w->DirTree1().FindNode(tmp_->path() + "/vol/y"));
    QTest::qWait(300);
    setMessageInterceptor(previous);
    QCOMPARE(messages, QStringList{QStringLiteral("That drive appears to be invalid.")});
    QCOMPARE(autoWindow->shown.size(), size_t(1));
}

void TreeWindowTest::expandingAnUnreadFolderInTheViewReadsIt() {
    for (int i = 0; i < 300; ++i) tmp_->makeDir("many/d" + std::to_string(i) + (i % 2 ? "/sub" : ""));
    Tmdisubdir* w = openTree();
    DirTreeView* view = w->treeView();
    tree::TreeNode* many = w->DirTree1().FindNode(tmp_->path() + "/many");
    QVERIFY(many && many->hasPlaceholder());
    // The view's own expansion (the arrow, the Right key) reads the folder.
    view->expand(view->dirModel()->indexOf(many));
    QTRY_COMPARE(many->children().size(), size_t(300));
    QVERIFY(view->isExpanded(view->dirModel()->indexOf(many)));
    QVERIFY(many->children()[1]->hasPlaceholder());
    QVERIFY(!many->children()[0]->hasPlaceholder());
    QTRY_COMPARE(w->headerLabel()->text(), QString::number(visibleRows(view)) + " folders");
    // And an odd-numbered one, by the keyboard.
    view->setCurrentIndex(view->dirModel()->indexOf(many->children()[1].get()));
    QTest::keyClick(view, Qt::Key_Right);
    QTRY_COMPARE(many->children()[1]->children().size(), size_t(1));
    QCOMPARE(w->DirTree1().checkConsistency(), std::vector<std::string>{});
}

QTEST_MAIN(TreeWindowTest)
#include "tree_window_test.moc"

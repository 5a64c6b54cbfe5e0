// Files dragged out of Arbel's windows and dropped on them, on the offscreen
// platform: drags start from real mouse gestures with the platform's drag loop
// replaced; drops are built from raw uri-list bytes, as another program sends them.
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <set>

#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/drag_support.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/ops/copier.h"
#include "ui/ops/deleter.h"
#include "ui/tree/dir_tree_model.h"
#include "ui/tree/dir_tree_view.h"
#include "ui/tree/mdisubdir.h"

using namespace arbel;
using namespace arbel::ui;
using arbel::ui::dragtest::dropOn;
using arbel::ui::dragtest::foreignUriList;

namespace {

class OneVolume : public tree::VolumeSource {
public:
    std::vector<Volume> vols;
    std::vector<Volume> list() override { return vols; }
    std::vector<VolumeState> probe(const std::vector<Volume>& v) override {
        return std::vector<VolumeState>(v.size(), VolumeState{true, 7, false});
    }
};

// The paths of a uri-list, read the way Qt reads it (not through Arbel's decoder).
std::vector<std::string> qtPaths(const QByteArray& uriList) {
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);
    std::vector<std::string> out;
    for (const QUrl& url : data.urls())
        out.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    return out;
}

// A file URL written by hand: "%20" and friends as another program spells them.
QByteArray url(const std::string& path, const char* tail) {
    return "file://" + QByteArray::fromStdString(path) + tail;
}

}  // namespace

class DragDropTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    OneVolume volumes_;
    QByteArray savedHome_;
    QStringList messages_;

    Tmdisubdir* openTree() {
        auto* tree = new Tmdisubdir(*frame_, &volumes_);
        tree->showMaximized();
        return tree;
    }
    // The viewport point of a tree folder, scrolled into sight.
    QPoint treePoint(Tmdisubdir* tree, const std::string& folder) {
        tree::TreeNode* node = tree->DirTree1().FindNode(folder);
        if (!node) {
            tree->DirTree1().AddDirPath(folder);
            node = tree->DirTree1().FindNode(folder);
        }
        const QModelIndex index = tree->treeView()->dirModel()->indexOf(node);
        tree->treeView()->scrollTo(index);
        return tree->treeView()->visualRect(index).center();
    }
    Tcopier* copier() const { return qobject_cast<Tcopier*>(frame_->openDialog(app::DialogTag::Copier)); }
    FileWindow* folderWindow(const std::string& folder) {
        auto* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, folder));
        if (w) (void)QTest::qWaitFor([w] { return !w->reading(); }, 5000);
        return w;
    }
    QModelIndex entry(FileWindow* w, const std::string& name) {
        return w->fileList().index(int(w->fileList().core().findName(name)), 0);
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        tmp_->writeFile("home/docs/inner/deep.txt", "x");
        tmp_->makeDir("home/target");
        tmp_->makeDir("home/caf\xe9");
        volumes_.vols.clear();
        Volume v;
        v.mountPoint = tmp_->path();
        v.type = DriveType::Fixed;
        volumes_.vols.push_back(v);
        savedHome_ = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(*tmp_ / "home"));
        messages_.clear();
        setMessageInterceptor([this](const MessageRequest& r) {
            messages_ << r.text;
            return QMessageBox::Ok;
        });
        frame_ = std::make_unique<Tmdimain>(FrameOptions{*tmp_ / "Arbelwin.cfg", false});
        frame_->resize(900, 700);
        frame_->show();
        QTRY_VERIFY(!frame_->startupPending());
    }
    void cleanup() {
        if (Tcopier* d = copier()) d->close();
        frame_->state().viewerMode = app::ViewerMode::Closing;
        frame_.reset();
        setMessageInterceptor({});
        qputenv("HOME", savedHome_);
        tmp_.reset();
    }

    // A drag from a folder window carries exactly its selected entries, odd names
    // byte for byte, for copying only; an entry gone from disk meanwhile is left out.
    void aFolderWindowDragsExactlyItsSelection() {
        const std::vector<std::string> names = {"a b.txt",     "100%#1",   "caf\xe9.txt",
                                                "line\nbreak", "unpicked", "gone"};
        for (const auto& n : names) tmp_->writeFile("home/pick/" + n, "d");
        FileWindow* w = folderWindow(*tmp_ / "home/pick");
        QVERIFY(w);
        QItemSelectionModel* selection = w->listView().selectionModel();
        for (const char* n : {"a b.txt", "100%#1", "caf\xe9.txt", "line\nbreak", "gone"})
            selection->select(entry(w, n), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(::unlink((*tmp_ / "home/pick/gone").c_str()) == 0);
        std::vector<std::string> expected;
        for (const std::string& p : w->selectedPaths())
            if (p != *tmp_ / "home/pick/gone") expected.push_back(p);
        QCOMPARE(expected.size(), size_t(4));

        auto drag = dragtest::dragOut(w->listView().currentView(), entry(w, "a b.txt"));
        QVERIFY(drag);
        QCOMPARE(qtPaths(drag->uriList), expected);
        QCOMPARE(drag->offered, Qt::DropActions(Qt::CopyAction));
        // The same from the report style.
        w->setDisplayStyle(DisplayStyle::Report);
        drag = dragtest::dragOut(w->listView().currentView(), entry(w, "line\nbreak"));
        QVERIFY(drag);
        QCOMPARE(qtPaths(drag->uriList), expected);

        // Execute: nothing to drag is "not started", a refusal "cancelled".
        QCOMPARE(startFileDrag(w, {}), dnd::DragResult::NotStarted);
        auto saved = dragHooks().exec;
        dragHooks().exec = [](QDrag&, Qt::DropActions) { return Qt::IgnoreAction; };
        QCOMPARE(startFileDrag(w, expected), dnd::DragResult::Cancelled);
        dragHooks().exec = [](QDrag&, Qt::DropActions) { return Qt::CopyAction; };
        QCOMPARE(startFileDrag(w, expected), dnd::DragResult::Dropped);
        dragHooks().exec = saved;
    }

    // Files from another program dropped on a tree folder: the copy dialog opens on
    // them with that folder as its target; Shift makes it a move. Copying then
    // lands the odd names intact.
    void aDropOnTheTreeOpensTheCopyDialogOnTheFolderUnderThePoint() {
        const std::string spaced = tmp_->writeFile("outside/a b.txt", "ab");
        const std::string odd = tmp_->writeFile("outside/caf\xe9 #1", "odd");
        Tmdisubdir* tree = openTree();
        const QByteArray bytes =
            url(*tmp_ / "outside/a", "%20b.txt\r\n") + url(*tmp_ / "outside/caf", "%E9%20%231\r\n");
        std::unique_ptr<QMimeData> data(foreignUriList(bytes));
        QWidget* vp = tree->treeView()->viewport();

        auto outcome = dropOn(vp, treePoint(tree, *tmp_ / "home/target"), data.get());
        QVERIFY(outcome.dropAccepted);
        QCOMPARE(outcome.action, Qt::CopyAction);
        QTRY_VERIFY(copier());
        QCOMPARE(copier()->mode(), Tcopier::Mode::Copy);
        QCOMPARE(copier()->source().gathered.items, (std::vector<std::string>{spaced, odd}));
        QVERIFY(copier()->source().dropped);
        QCOMPARE(copier()->ComboBox1->currentText(), QString::fromStdString(*tmp_ / "home/target"));
        QCOMPARE(frame_->state().pendingUpdate, app::RefreshSignal::None);
        QPointer<Tcopier> open = copier();
        open->Button1Click();
        QVERIFY(QTest::qWaitFor([&] { return !open; }, 30000));
        QCOMPARE(arbel::test::readFile(*tmp_ / "home/target/caf\xe9 #1"), std::string("odd"));
        QCOMPARE(arbel::test::readFile(*tmp_ / "home/target/a b.txt"), std::string("ab"));
        QVERIFY(messages_.isEmpty());

        outcome = dropOn(vp, treePoint(tree, *tmp_ / "home/caf\xe9"), data.get(), Qt::ShiftModifier);
        QCOMPARE(outcome.action, Qt::MoveAction);
        QTRY_VERIFY(copier());
        QCOMPARE(copier()->mode(), Tcopier::Mode::Move);
        QCOMPARE(copier()->ComboBox1->currentText(), displayPath(*tmp_ / "home/caf\xe9"));
        QCOMPARE(copier()->source().gathered.items, (std::vector<std::string>{spaced, odd}));
        // While the dialog is open another drop is refused.
        QVERIFY(!dropOn(vp, treePoint(tree, *tmp_ / "home/target"), data.get()).dropAccepted);
        copier()->close();
        QTRY_VERIFY(!copier());
    }

    // What the tree refuses: a point with no folder under it, data without a local
    // file, a drag offering only a link (Arbel makes no links of dropped files).
    void theTreeRefusesDropsItCannotTake() {
        Tmdisubdir* tree = openTree();
        QWidget* vp = tree->treeView()->viewport();
        std::unique_ptr<QMimeData> files(foreignUriList(url(*tmp_ / "home/docs", "\r\n")));
        const QPoint below(10, vp->height() - 3);
        QVERIFY(!tree->treeView()->indexAt(below).isValid());
        QVERIFY(!dropOn(vp, below, files.get()).dropAccepted);
        std::unique_ptr<QMimeData> web(
            foreignUriList("https://example.org/picture.png\r\nfile://elsewhere/share/x\r\n"));
        QVERIFY(!dropOn(vp, treePoint(tree, *tmp_ / "home/target"), web.get()).enterAccepted);
        QVERIFY(!dropOn(vp, treePoint(tree, *tmp_ / "home/target"), files.get(), {}, Qt::LinkAction)
                     .enterAccepted);
        QTest::qWait(50);
        QVERIFY(!copier());
        QVERIFY(messages_.isEmpty());
    }

    // A folder dropped onto itself or into its own subtree is refused with the
    // copy's own message, for copy and move; no dialog opens, nothing changes.
    void aFolderDroppedIntoItselfIsRefusedWithTheEnginesMessage() {
        Tmdisubdir* tree = openTree();
        QWidget* vp = tree->treeView()->viewport();
        std::unique_ptr<QMimeData> docs(foreignUriList(url(*tmp_ / "home/docs", "/\r\n")));
        const QString copyText =
            QString::fromStdString(*tmp_ / "home/docs") + ": Cannot copy a folder into itself";
        const QString moveText =
            QString::fromStdString(*tmp_ / "home/docs") + ": Cannot move a folder into itself";
        QVERIFY(dropOn(vp, treePoint(tree, *tmp_ / "home/docs/inner"), docs.get()).dropAccepted);
        QTRY_COMPARE(messages_, QStringList{copyText});
        QVERIFY(dropOn(vp, treePoint(tree, *tmp_ / "home/docs"), docs.get(), Qt::ShiftModifier).dropAccepted);
        QTRY_COMPARE(messages_, (QStringList{copyText, moveText}));
        QTest::qWait(50);
        QVERIFY(!copier());
        QCOMPARE(arbel::test::readFile(*tmp_ / "home/docs/inner/deep.txt"), std::string("x"));
        // Its parent is a fine target.
        QVERIFY(dropOn(vp, treePoint(tree, *tmp_ / "home"), docs.get()).dropAccepted);
        QTRY_VERIFY(copier());
        QCOMPARE(messages_.size(), 2);
    }

    // On a folder window the target is the folder entry under the point, else the
    // window's folder; Shift moves.
    void aDropOnAFolderWindowAimsAtTheEntryOrTheWindowsFolder() {
        const std::string file = tmp_->writeFile("outside/n 1.txt", "n");
        tmp_->writeFile("home/target/plain.txt", "p");
        tmp_->makeDir("home/target/sub");
        FileWindow* w = folderWindow(*tmp_ / "home/target");
        QVERIFY(w);
        QAbstractItemView* view = w->listView().currentView();
        std::unique_ptr<QMimeData> data(foreignUriList(url(*tmp_ / "outside/n", "%201.txt")));

        auto at = [&](const char* name) { return view->visualRect(entry(w, name)).center(); };
        QCOMPARE(dropOn(view->viewport(), at("sub"), data.get()).action, Qt::CopyAction);
        QTRY_VERIFY(copier());
        QCOMPARE(copier()->ComboBox1->currentText(), QString::fromStdString(*tmp_ / "home/target/sub"));
        QCOMPARE(copier()->source().gathered.items, std::vector<std::string>{file});
        QCOMPARE(frame_->currentOf(app::ActiveKind::List), static_cast<ChildWindow*>(w));
        copier()->close();
        QTRY_VERIFY(!copier());

        QCOMPARE(dropOn(view->viewport(), at("plain.txt"), data.get(), Qt::ShiftModifier).action,
                 Qt::MoveAction);
        QTRY_VERIFY(copier());
        QCOMPARE(copier()->mode(), Tcopier::Mode::Move);
        QCOMPARE(copier()->ComboBox1->currentText(), QString::fromStdString(*tmp_ / "home/target"));
        copier()->close();
        QTRY_VERIFY(!copier());
    }

    // A right-button drag ends over the window where the button comes up: from the
    // tree onto a folder window's folder entry, and from a folder window onto a tree
    // folder, the Copy/Move menu there gives the copy dialog the source window's
    // items and the target under the pointer.
    void aRightDragCrossesToTheWindowUnderTheRelease() {
        tmp_->writeFile("home/target/x.txt", "x");
        tmp_->makeDir("home/target/sub");
        Tmdisubdir* tree = openTree();
        tree->showNormal();
        tree->setGeometry(0, 0, 380, 500);
        FileWindow* w = folderWindow(*tmp_ / "home/target");
        QVERIFY(w);
        w->showNormal();
        w->setGeometry(400, 0, 380, 500);
        QAbstractItemView* list = w->listView().currentView();
        QWidget* treeVp = tree->treeView()->viewport();
        auto choose = [](QMenu* menu, const char* caption) {
            QVERIFY(menu && menu->isVisible());
            for (QAction* a : menu->actions())
                if (a->text() == QLatin1String(caption)) a->trigger();
            menu->close();
        };
        auto visibleMenu = [](QWidget* owner) -> QMenu* {
            for (QMenu* m : owner->findChildren<QMenu*>())
                if (m->isVisible()) return m;
            return nullptr;
        };

        // Tree folder "docs" onto the entry "sub".
        const QPoint docs = treePoint(tree, *tmp_ / "home/docs");
        const QPoint sub = list->viewport()->mapToGlobal(list->visualRect(entry(w, "sub")).center());
        QTest::mousePress(treeVp, Qt::RightButton, {}, docs);
        QTest::mouseRelease(treeVp, Qt::RightButton, {}, treeVp->mapFromGlobal(sub));
        QVERIFY(!tree->dragMenu()->isVisible());
        choose(visibleMenu(w), "Copy");
        QTRY_VERIFY(copier());
        QCOMPARE(copier()->source().gathered.items, std::vector<std::string>{*tmp_ / "home/docs"});
        QCOMPARE(copier()->ComboBox1->currentText(), QString::fromStdString(*tmp_ / "home/target/sub"));
        copier()->close();
        QTRY_VERIFY(!copier());

        // The file "x.txt" onto the tree folder "caf\xe9" (moved).
        const QPoint x = list->visualRect(entry(w, "x.txt")).center();
        const QPoint cafe = treeVp->mapToGlobal(treePoint(tree, *tmp_ / "home/caf\xe9"));
        QCursor::setPos(list->viewport()->mapToGlobal(x));
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, x);
        QCursor::setPos(cafe);
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, list->viewport()->mapFromGlobal(cafe));
        QVERIFY(!visibleMenu(w));
        choose(tree->dragMenu(), "Move");
        QTRY_VERIFY(copier());
        QCOMPARE(copier()->mode(), Tcopier::Mode::Move);
        QCOMPARE(copier()->source().gathered.items, std::vector<std::string>{*tmp_ / "home/target/x.txt"});
        QCOMPARE(copier()->ComboBox1->currentText(), displayPath(*tmp_ / "home/caf\xe9"));
    }

    // Files dropped on the trash are not copied into its folder: the delete dialog
    // opens on them with the trash chosen.
    void aDropOnTheTrashOpensTheDeleteDialog() {
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(*tmp_ / "home/data"));
        tmp_->makeDir("home/data/Trash/files");
        const std::string file = tmp_->writeFile("outside/waste", "w");
        FileWindow* w = folderWindow(*tmp_ / "home/data/Trash");
        QVERIFY(w);
        QAbstractItemView* view = w->listView().currentView();
        std::unique_ptr<QMimeData> data(foreignUriList(url(file, "\r\n")));
        QVERIFY(
            dropOn(view->viewport(), view->visualRect(entry(w, "files")).center(), data.get()).dropAccepted);
        Tdel* del = nullptr;
        QTRY_VERIFY((del = qobject_cast<Tdel*>(frame_->openDialog(app::DialogTag::Delete))) != nullptr);
        QVERIFY(del->CheckBox1->isChecked());
        QVERIFY(!copier());
        del->close();
        QCOMPARE(arbel::test::readFile(file), std::string("w"));
        if (savedData.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", savedData);
    }
};

QTEST_MAIN(DragDropTest)
#include "drag_drop_test.moc"

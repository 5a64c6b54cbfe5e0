// Folder windows and the auto-folder window inside a real frame on the
// offscreen platform, reading real temporary folders.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <memory>

#include "core/app/placement.h"
#include "support/temp_dir.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"

using namespace arbel;
using namespace arbel::ui;

class FolderWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;

    std::string cfg() const { return tmp_->path() + "/Arbelwin.cfg"; }
    std::string readKey(const char* key) const {
        return config::IniFile(cfg()).readString(app::kWindowsSection, key, "<missing>");
    }
    FileWindow* open(const std::string& folder) {
        auto* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, folder));
        if (w) waitRead(w);
        return w;
    }
    static void waitRead(FileWindow* w) {
        if (!QTest::qWaitFor([w] { return !w->reading(); }, 10000)) qWarning("the read did not end");
    }
    static QStringList rowNames(FileWindow* w) {
        QStringList out;
        for (int r = 0; r < w->fileList().rowCount(); ++r) out << w->fileList().displayName(r);
        return out;
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        frame_ = std::make_unique<Tmdimain>(FrameOptions{cfg(), false});
        frame_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        QTRY_VERIFY(!frame_->startupPending());
    }
    void cleanup() {
        frame_.reset();
        tmp_.reset();
    }

    void opensWithCaptionStatusAndFoldersFirst() {
        tmp_->makeDir("data/sub");
        tmp_->writeFile("data/b.txt", std::string(1000, 'x'));
        tmp_->writeFile("data/A.c", std::string(234, 'y'));
        const std::string folder = *tmp_ / "data";
        FileWindow* w = open(folder);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString::fromStdString(folder));
        QCOMPARE(frame_->currentOf(app::ActiveKind::List), w);
        QCOMPARE(frame_->state().activeKind, app::ActiveKind::List);
        QCOMPARE(rowNames(w), (QStringList{"sub", "A.c", "b.txt"}));
        QCOMPARE(w->statusText(), QString("2 files/1,234 bytes 1 folder"));
        QVERIFY(w->freeSpaceText().endsWith("k free "));
        QCOMPARE(w->selectionText(), QString(" nothing selected"));

        w->selectAll(/*filesOnly=*/true);
        QCOMPARE(w->selectionText(), QString("  2 files/1,234 bytes selected"));
        QCOMPARE(w->selectedPaths().size(), std::size_t(2));
        QCOMPARE(w->selectedPaths().front(), folder + "/A.c");
        w->selectAll(false);
        QCOMPARE(w->selectionText(), QString("  2 files/1,234 bytes and 1 folder selected"));
    }

    void filterShowsMaskAndHidesFoldersOnRequest() {
        tmp_->makeDir("f/dir");
        tmp_->writeFile("f/a.txt", "1");
        tmp_->writeFile("f/b.doc", "22");
        FileWindow* w = open(*tmp_ / "f");
        QVERIFY(w->setFilter("*.DOC"));
        waitRead(w);
        QCOMPARE(rowNames(w), (QStringList{"dir", "b.doc"}));
        QCOMPARE(w->maskCaption(), QString("*.DOC"));
        QVERIFY(!w->setFilter("*.doc"));  // the same filter: nothing to do

        w->setShowFolders(false);
        waitRead(w);
        QCOMPARE(rowNames(w), (QStringList{"b.doc"}));
        QCOMPARE(w->statusText(), QString("1 file/2 bytes "));

        w->Panel1DblClick();  // mask reset
        waitRead(w);
        QCOMPARE(w->filter(), std::string("*.*"));
        QCOMPARE(w->maskCaption(), QString());
        QCOMPARE(rowNames(w), (QStringList{"a.txt", "b.doc"}));
    }

    void displayStylesShareOneSelection() {
        tmp_->writeFile("s/one.txt");
        tmp_->writeFile("s/two.txt");
        FileWindow* w = open(*tmp_ / "s");
        w->selectAll(false);
        w->setDisplayStyle(DisplayStyle::Report);
        QVERIFY(qobject_cast<QTreeView*>(w->listView().currentView()));
        QVERIFY(w->listView().reportView()->isColumnHidden(TFileList::ColSortKey));
        QVERIFY(!w->listView().reportView()->isColumnHidden(TFileList::ColModified));
        QCOMPARE(w->selectedPaths().size(), std::size_t(2));
        w->setDisplayStyle(DisplayStyle::Large);
        auto* list = qobject_cast<QListView*>(w->listView().currentView());
        QVERIFY(list);
        QCOMPARE(list->viewMode(), QListView::IconMode);
        w->setDisplayStyle(DisplayStyle::Small);
        QCOMPARE(list->viewMode(), QListView::ListMode);
        QCOMPARE(list->flow(), QListView::LeftToRight);
        w->setDisplayStyle(DisplayStyle::List);
        QCOMPARE(list->flow(), QListView::TopToBottom);
        QCOMPARE(w->selectedPaths().size(), std::size_t(2));
    }

    void sortCommandsToggleAndKeepFoldersFirst() {
        tmp_->makeDir("o/zdir");
        tmp_->writeFile("o/a.txt", "1");
        tmp_->writeFile("o/b.txt", "333");
        FileWindow* w = open(*tmp_ / "o");
        w->sortBy(lists::FileInfo::Size);
        QCOMPARE(rowNames(w), (QStringList{"zdir", "a.txt", "b.txt"}));
        w->sortBy(lists::FileInfo::Size);
        QVERIFY(w->sortReversed());
        QCOMPARE(rowNames(w), (QStringList{"zdir", "b.txt", "a.txt"}));
        // Clicking the report header sorts the same way.
        w->setDisplayStyle(DisplayStyle::Report);
        emit w->listView().reportView()->header()->sectionClicked(TFileList::ColName);
        QCOMPARE(w->sortKey(), lists::FileInfo::Name);
        QVERIFY(!w->sortReversed());
    }

    void saveSettingsStoresStyleAndFolderFlag() {
        tmp_->makeDir("k");
        FileWindow* w = open(*tmp_ / "k");
        w->setDisplayStyle(DisplayStyle::Report);
        w->setShowFolders(false);
        waitRead(w);
        w->systemCommand(kListSaveSettings);
        QCOMPARE(readKey("liststyle"), std::string("report"));
        QCOMPARE(readKey("listfolder"), std::string("0"));
        QVERIFY(readKey("listl") != "<missing>");

        // A new folder window starts with what was saved.
        FileWindow* second = open(*tmp_ / "k");
        QCOMPARE(second->displayStyle(), DisplayStyle::Report);
        QVERIFY(!second->showFolders());

        second->systemCommand(kListRestoreDefault);
        QCOMPARE(readKey("liststyle"), std::string(""));
        FileWindow* third = open(*tmp_ / "k");
        QCOMPARE(third->displayStyle(), DisplayStyle::List);
        QVERIFY(third->showFolders());
    }

    void upButtonClimbsAndStopsAtRoot() {
        tmp_->writeFile("u/inner/x.txt", "x");
        FileWindow* w = open(*tmp_ / "u/inner");
        auto* up = w->findChild<QToolButton*>("BitBtn1");
        QVERIFY(up && up->isEnabled());
        w->BitBtn1Click();
        waitRead(w);
        QCOMPARE(w->shownFolder(), *tmp_ / "u");
        QCOMPARE(rowNames(w), (QStringList{"inner"}));
        FileWindow* root = open("/");
        QVERIFY(!root->findChild<QToolButton*>("BitBtn1")->isEnabled());
    }

    void leftClickOffersAFolderToAnOpenDialog() {
        tmp_->makeDir("d/sub");
        tmp_->writeFile("d/file.txt");
        FileWindow* w = open(*tmp_ / "d");
        w->setDisplayStyle(DisplayStyle::Report);
        QTreeView* view = w->listView().reportView();
        QSignalSpy offered(w, &FileWindow::folderOffered);
        frame_->state().activeDialog = app::DialogTag::NewDir;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(w->fileList().index(1, 0)).center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(w->fileList().index(0, 0)).center());
        frame_->state().activeDialog = app::DialogTag::None;
        QCOMPARE(offered.count(), 2);
        QCOMPARE(offered.at(0).at(0).toByteArray(),
                 QByteArray::fromStdString(*tmp_ / "d"));  // a file: the folder
        QCOMPARE(offered.at(1).at(0).toByteArray(), QByteArray::fromStdString(*tmp_ / "d/sub"));
    }

    void missingFolderLeavesWindowEmpty() {
        FileWindow* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, *tmp_ / "missing"));
        QVERIFY(w);
        // Found missing by the read's worker, not by the window while it opens.
        QTRY_VERIFY(!w->reading());
        QCOMPARE(w->fileList().rowCount(), 0);
        QCOMPARE(w->windowTitle(), QString::fromStdString(*tmp_ / "missing"));
    }

    void autoWindowFollowsAndIsUnique() {
        tmp_->writeFile("a1/first.txt", "1");
        tmp_->writeFile("a2/second.txt", "22");
        auto* w = dynamic_cast<FileWindow*>(openAutoFolderWindow(*frame_, *tmp_ / "a1"));
        QVERIFY(w);
        waitRead(w);
        QCOMPARE(w->windowTitle(), QString::fromStdString("Auto: " + *tmp_ / "a1"));
        QVERIFY(frame_->state().autoWindowOpen);
        QCOMPARE(rowNames(w), (QStringList{"first.txt"}));
        QCOMPARE(openAutoFolderWindow(*frame_, *tmp_ / "a2"), w);  // at most one
        QVERIFY(w->findChild<QToolButton*>("BitBtn1")->isEnabled());

        // Three quick changes: the last folder wins.
        autoFolderFollow(*frame_, *tmp_ / "a1");
        autoFolderFollow(*frame_, tmp_->path());
        autoFolderFollow(*frame_, *tmp_ / "a2");
        waitRead(w);
        QCOMPARE(w->shownFolder(), *tmp_ / "a2");
        QCOMPARE(rowNames(w), (QStringList{"second.txt"}));
        QCOMPARE(w->statusText(), QString("1 file/2 bytes "));

        // The tree's settled click refreshes it with "captionupdate".
        w->refresh(app::RefreshSignal::CaptionUpdate, *tmp_ / "a1");
        waitRead(w);
        QCOMPARE(rowNames(w), (QStringList{"first.txt"}));

        w->close();
        QTRY_VERIFY(!autoFolderWindow(*frame_));
        autoFolderFollow(*frame_, *tmp_ / "a2");  // nothing to follow: no effect, no crash
        QVERIFY(!autoFolderWindow(*frame_));
    }

    void largeFolderReadsInBackgroundAndEscapeStops() {
        const std::string big = tmp_->makeDir("big");
        for (int i = 0; i < 4000; ++i) {
            int fd =
                ::open((big + "/file-" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        auto* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, big));
        QVERIFY(w);
        // The window is up while the entries are still being read.
        QVERIFY(w->reading());
        QVERIFY(w->statusText().startsWith("Reading"));
        QSignalSpy done(w, &FileWindow::listRead);
        QTest::keyClick(w->listView().currentView(), Qt::Key_Escape);
        QTRY_VERIFY(!w->reading());
        QCOMPARE(done.count(), 1);
        QVERIFY(w->fileList().rowCount() <= 4000);
        // The counts of what was read replace the progress ("1 file/" when stopped after one).
        QVERIFY(!w->statusText().startsWith("Reading"));
        QVERIFY(w->statusText().contains(QRegularExpression(" files?/[0-9,]* bytes")));

        // A full read lists them all.
        w->refresh(app::RefreshSignal::None);
        waitRead(w);
        QCOMPARE(w->fileList().rowCount(), 4000);
    }

    void rightButtonQuickClickTogglesHeldClickOpensMenu() {
        tmp_->writeFile("r/one.txt");
        tmp_->writeFile("r/two.txt");
        FileWindow* w = open(*tmp_ / "r");
        w->setDisplayStyle(DisplayStyle::Report);
        QTreeView* view = w->listView().reportView();
        const QPoint at = view->visualRect(w->fileList().index(1, 0)).center();
        QCursor::setPos(view->viewport()->mapToGlobal(at));

        QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(w->selectedPaths(), (std::vector<std::string>{*tmp_ / "r/two.txt"}));
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
        QVERIFY(w->selectedPaths().empty());

        // Held for half a second: selected, and the context menu opens.
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
        QMenu* menu = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr,
                                 3000);
        QCOMPARE(w->selectedPaths(), (std::vector<std::string>{*tmp_ / "r/two.txt"}));
        QStringList items;
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator() && a->isVisible()) items << a->text();
        }
        QCOMPARE(items,
                 (QStringList{"Copy", "Move", "Delete", "Rename", "Attributes", "Properties", "Cancel"}));
        menu->close();
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
    }
};

QTEST_MAIN(FolderWindowTest)
#include "folder_window_test.moc"

// The frame on the offscreen platform, driven through its actions and keys,
// with small test child windows and a temporary settings file.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTextBrowser>
#include <memory>

#include "core/app/placement.h"
#include "support/temp_dir.h"
#include "test_child.h"
#include "ui/app/message_box.h"
#include "ui/frame/about_box.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/frame_toolbar.h"
#include "ui/frame/help_window.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"

using namespace arbel;
using namespace arbel::ui;
using arbel::ui::test::TestChild;

class FrameTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    QStringList messages_;

    std::string cfg() const { return tmp_->path() + "/Arbelwin.cfg"; }
    std::string readKey(const char* key) {
        return config::IniFile(cfg()).readString(app::kWindowsSection, key, "<missing>");
    }
    std::unique_ptr<Tmdimain> makeFrame() {
        auto frame = std::make_unique<Tmdimain>(FrameOptions{cfg(), false});
        frame->show();
        if (!QTest::qWaitForWindowExposed(frame.get())) qWarning("frame not exposed");
        if (!QTest::qWaitFor([&] { return !frame->startupPending(); }, 2000))
            qWarning("startup still pending");
        return frame;
    }
    // The labels of the Window menu's window entries, with their check marks.
    QStringList windowEntries(Tmdimain& frame) {
        QMenu* menu = frame.actions().menu(FrameMenu::Window);
        emit menu->aboutToShow();
        QStringList out;
        bool inList = false;
        for (QAction* a : menu->actions()) {
            if (a == frame.actions().windowListStart()) {
                inList = true;
                continue;
            }
            if (a == frame.actions().windowListEnd()) break;
            if (inList) out << (a->isChecked() ? "*" : "") + a->text();
        }
        return out;
    }
    QAction* windowEntry(Tmdimain& frame, int index) {
        QMenu* menu = frame.actions().menu(FrameMenu::Window);
        const auto actions = menu->actions();
        const int start = int(actions.indexOf(frame.actions().windowListStart()));
        return actions.value(start + 1 + index);
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        messages_.clear();
        setMessageInterceptor([this](const MessageRequest& r) {
            messages_ << r.text;
            return QMessageBox::Ok;
        });
    }
    void cleanup() {
        setMessageInterceptor({});
        tmp_.reset();
    }

    void startsMaximisedWithoutSettings() {
        auto frame = makeFrame();
        QVERIFY(frame->windowState() & Qt::WindowMaximized);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Arbel"));
        QCOMPARE(frame->state().activeKind, app::ActiveKind::First);
        QVERIFY(frame->registry().empty());
        // Nothing is written at start.
        QVERIFY(!arbel::test::exists(cfg()));
    }

    void startsFromSavedPlacement() {
        config::IniFile ini(cfg());
        ini.writeString(app::kWindowsSection, "mainmax", "no");
        ini.writeInteger(app::kWindowsSection, "maint", 40);
        ini.writeInteger(app::kWindowsSection, "mainl", 50);
        ini.writeInteger(app::kWindowsSection, "mainw", 700);
        ini.writeInteger(app::kWindowsSection, "mainh", 500);
        auto frame = makeFrame();
        QVERIFY(!(frame->windowState() & Qt::WindowMaximized));
        QCOMPARE(frame->size(), QSize(700, 500));
        QCOMPARE(frame->pos(), QPoint(50, 40));
    }

    void saveSettingsOfMaximisedAndPlacedFrame() {
        {
            auto frame = makeFrame();
            frame->actions().action(FrameAction::FrameSaveSettings)->trigger();
            QCOMPARE(readKey("mainmax"), std::string());
            // No auto-folder window open: it stays closed at the next start.
            QCOMPARE(readKey("auto"), std::string("no"));
        }
        {
            auto frame = std::make_unique<Tmdimain>(FrameOptions{cfg(), false});
            frame->setWindowState(Qt::WindowNoState);
            frame->setGeometry(30, 60, 640, 480);
            frame->show();
            QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
            new TestChild(*frame, app::ActiveKind::Auto, "/usr");
            frame->actions().action(FrameAction::FrameSaveSettings)->trigger();
            QCOMPARE(readKey("mainmax"), std::string("no"));
            QCOMPARE(readKey("mainw"), std::to_string(frame->width()));
            QCOMPARE(readKey("mainh"), std::to_string(frame->height()));
            QCOMPARE(readKey("mainl"), std::to_string(frame->pos().x()));
            QCOMPARE(readKey("auto"), std::string());
        }
        // The next frame starts where the placed one was saved.
        auto again = std::make_unique<Tmdimain>(FrameOptions{cfg(), false});
        QVERIFY(!(again->windowState() & Qt::WindowMaximized));
        QCOMPARE(again->size(), QSize(std::stoi(readKey("mainw")), std::stoi(readKey("mainh"))));

        again->actions().action(FrameAction::FrameRestoreDefault)->trigger();
        QCOMPARE(readKey("mainmax"), std::string());
        QCOMPARE(readKey("mainw"), std::string());
    }

    void closeRefusedWhileADialogIsOpen() {
        auto frame = makeFrame();
        auto* child = new TestChild(*frame, app::ActiveKind::List, "/tmp");
        QPointer<TestChild> guard(child);
        QWidget dialog;
        frame->dialogOpened(app::DialogTag::Copier, &dialog, nullptr);
        frame->actions().action(FrameAction::MenuBarExit)->trigger();
        QVERIFY(frame->isVisible());
        QCOMPARE(messages_, QStringList{"You must close all dialogs before exiting."});
        // A refused close must not leave the children believing the program ends.
        QVERIFY(frame->state().viewerMode != app::ViewerMode::Closing);
        QVERIFY(guard);

        frame->dialogClosed(app::DialogTag::Copier);
        QCOMPARE(frame->state().activeDialog, app::DialogTag::None);
        QVERIFY(frame->close());
        QCOMPARE(messages_.size(), 1);
    }

    void searchWindowStaysTheOpenDialogAfterAnotherCloses() {
        auto frame = makeFrame();
        QWidget search, rename;
        frame->dialogOpened(app::DialogTag::FindForm, &search, nullptr);
        QVERIFY(frame->state().fromSearch);
        frame->dialogOpened(app::DialogTag::Rename, &rename, nullptr);
        frame->dialogClosed(app::DialogTag::Rename);
        QCOMPARE(frame->state().activeDialog, app::DialogTag::FindForm);
        QVERIFY(!frame->close());  // the search window is a dialog too
        frame->dialogClosed(app::DialogTag::FindForm);
        QCOMPARE(frame->state().activeDialog, app::DialogTag::None);
        QVERIFY(!frame->state().fromSearch);
    }

    void clickOnEmptyClientAreaClosesTheDeleteDialogOnly() {
        auto frame = makeFrame();
        QWidget copier;
        frame->dialogOpened(app::DialogTag::Copier, &copier, nullptr);
        copier.show();
        QTest::mouseClick(frame->clientArea()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(copier.isVisible());
        frame->dialogClosed(app::DialogTag::Copier);

        QWidget deleter;
        frame->dialogOpened(app::DialogTag::Delete, &deleter, nullptr);
        deleter.show();
        QTest::mouseClick(frame->clientArea()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(!deleter.isVisible());
    }

    void windowMenuAfterClosingTheSecondOfThree() {
        auto frame = makeFrame();
        auto* a = new TestChild(*frame, app::ActiveKind::List, "/a");
        auto* b = new TestChild(*frame, app::ActiveKind::List, "/b");
        auto* c = new TestChild(*frame, app::ActiveKind::Auto, "/c&d");
        QCOMPARE(windowEntries(*frame), (QStringList{"&1 /a", "&2 /b", "*&3 Auto: /c&&d"}));
        QCOMPARE(frame->state().activeKind, app::ActiveKind::Auto);
        QCOMPARE(frame->clientArea()->activeSubWindow(), c);

        frame->activateChild(a);
        frame->activateChild(b);
        QCOMPARE(windowEntries(*frame), (QStringList{"&1 /a", "*&2 /b", "&3 Auto: /c&&d"}));
        // Closing the active second window hands over to the one activated
        // before it (a), not to its neighbour in the list (c).
        QVERIFY(b->close());
        QCOMPARE(windowEntries(*frame), (QStringList{"*&1 /a", "&2 Auto: /c&&d"}));
        QTRY_COMPARE(frame->clientArea()->activeSubWindow(), a);
        QCOMPARE(frame->activeChild(), a);
        QCOMPARE(frame->currentOf(app::ActiveKind::List), a);
        QCOMPARE(frame->state().activeKind, app::ActiveKind::List);
        QCOMPARE(frame->clientArea()->subWindowList().size(), 2);

        // Choosing an entry activates its window.
        windowEntry(*frame, 1)->trigger();
        QCOMPARE(frame->activeChild(), c);
        QCOMPARE(frame->state().activeKind, app::ActiveKind::Auto);
        QVERIFY(frame->state().autoWindowOpen);
        QVERIFY(c->close());
        QVERIFY(!frame->state().autoWindowOpen);
        QCOMPARE(windowEntries(*frame), (QStringList{"*&1 /a"}));
    }

    void tenthWindowEntryWorks() {
        auto frame = makeFrame();
        QList<TestChild*> kids;
        for (int i = 1; i <= 11; ++i)
            kids << new TestChild(*frame, app::ActiveKind::List, "/d" + std::to_string(i));
        frame->activateChild(kids[0]);
        QAction* tenth = windowEntry(*frame, 9);
        QCOMPARE(tenth->text(), QStringLiteral("&10 /d10"));
        tenth->trigger();
        QCOMPARE(frame->activeChild(), kids[9]);
        QCOMPARE(frame->clientArea()->activeSubWindow(), kids[9]);
        frame->windClick(11);
        QCOMPARE(frame->activeChild(), kids[10]);
    }

    void ctrlTabFollowsCreationOrderAndWraps() {
        auto frame = makeFrame();
        auto* a = new TestChild(*frame, app::ActiveKind::Dir, "/");
        auto* b = new TestChild(*frame, app::ActiveKind::List, "/b");
        auto* c = new TestChild(*frame, app::ActiveKind::Viewer, "/b/x.txt");
        frame->activateChild(b);
        frame->activateChild(a);  // activation history a, not creation order
        QWidget* focus = frame->activeChild()->mainControl();
        QTRY_VERIFY(focus->hasFocus() || !frame->isActiveWindow());

        auto ctrlTab = [&](bool shift) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : frame.get();
            if (shift)
                QTest::keyClick(target, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
            else
                QTest::keyClick(target, Qt::Key_Tab, Qt::ControlModifier);
        };
        ctrlTab(false);
        QCOMPARE(frame->activeChild(), b);
        ctrlTab(false);
        QCOMPARE(frame->activeChild(), c);
        QCOMPARE(frame->state().activeKind, app::ActiveKind::Viewer);
        ctrlTab(false);  // wraps to the first
        QCOMPARE(frame->activeChild(), a);
        QCOMPARE(frame->clientArea()->activeSubWindow(), a);
        ctrlTab(true);  // and back from the first to the last
        QCOMPARE(frame->activeChild(), c);
        ctrlTab(true);
        QCOMPARE(frame->activeChild(), b);
        QCOMPARE(frame->clientArea()->activeSubWindow(), b);

        // The tool bar's empty background: left next, right previous.
        frame->setWindowState(Qt::WindowNoState);
        frame->resize(1400, 700);
        FrameToolBar* bar = frame->toolBar();
        QTRY_VERIFY(bar->width() > 1200);
        const int gapLeft = bar->unmapnetbut->geometry().right();
        const int gapRight = frame->viewPanel()->mapTo(bar, QPoint(0, 0)).x();
        QVERIFY(gapRight - gapLeft > 20);
        const QPoint empty((gapLeft + gapRight) / 2, bar->height() / 2);
        QVERIFY(qobject_cast<ToolButton*>(bar->childAt(empty)) == nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, empty);
        QCOMPARE(frame->activeChild(), c);
        QTest::mouseClick(bar, Qt::RightButton, {}, empty);
        QCOMPARE(frame->activeChild(), b);
    }

    void ctrlF4ClosesTheActiveChildOnly() {
        auto frame = makeFrame();
        QPointer<TestChild> a = new TestChild(*frame, app::ActiveKind::List, "/a");
        QPointer<TestChild> b = new TestChild(*frame, app::ActiveKind::List, "/b");
        frame->activateChild(a);
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : frame.get();
        QTest::keyClick(target, Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(!a);
        QVERIFY(b);
        QCOMPARE(frame->activeChild(), b.data());
        QCOMPARE(frame->registry().count(), size_t(1));
        // With nothing open the command does nothing.
        QVERIFY(b->close());
        QTRY_VERIFY(!b);
        frame->actions().action(FrameAction::Close)->trigger();
        QVERIFY(frame->registry().empty());
    }

    void arrangeAllUsesStoredAndDefaultRectangles() {
        config::IniFile ini(cfg());
        ini.writeInteger(app::kWindowsSection, "dirw", 200);
        auto frame = makeFrame();
        auto* tree = new TestChild(*frame, app::ActiveKind::Dir, "/");
        auto* l1 = new TestChild(*frame, app::ActiveKind::List, "/a");
        auto* v = new TestChild(*frame, app::ActiveKind::Viewer, "/a/f");
        auto* l2 = new TestChild(*frame, app::ActiveKind::List, "/b");
        for (auto* w : {tree, l1, v, l2}) w->setGeometry(5, 5, 60, 60);
        l2->showMaximized();
        frame->activateChild(l1);

        frame->actions().action(FrameAction::ArrangeAll)->trigger();
        const QSize area = frame->clientArea()->viewport()->size();
        const int W = area.width(), H = area.height();
        QCOMPARE(tree->geometry(), QRect(0, 0, 200, H - 4));
        QCOMPARE(l1->geometry(), QRect(W / 3, 0, W - W / 3 - 4, H - 4));
        QCOMPARE(l2->geometry(), l1->geometry());
        QVERIFY(!l2->isMaximized());
        QCOMPARE(v->geometry(), QRect(0, H / 3 * 2, W - 4, H / 3 - 3));
        // The window active before stays active.
        QCOMPARE(frame->activeChild(), l1);
        QCOMPARE(frame->clientArea()->activeSubWindow(), l1);
    }

    void childSystemMenuStoresItsKindsKeys() {
        auto frame = makeFrame();
        auto* list = new TestChild(*frame, app::ActiveKind::List, "/a");
        list->setGeometry(10, 20, 300, 200);
        QAction* save = nullptr;
        QAction* restore = nullptr;
        for (QAction* a : list->systemMenu()->actions()) {
            if (a->data().toInt() == kListSaveSettings) save = a;
            if (a->data().toInt() == kListRestoreDefault) restore = a;
        }
        QVERIFY(save && restore);
        QCOMPARE(save->text(), QStringLiteral("Save Settings"));
        save->trigger();
        QCOMPARE(readKey("listmax"), std::string("0"));
        QCOMPARE(readKey("listt"), std::string("20"));
        QCOMPARE(readKey("listw"), std::string("300"));
        // The next folder window opens where this one was saved.
        auto* next = new TestChild(*frame, app::ActiveKind::List, "/b");
        QCOMPARE(next->geometry(), QRect(10, 20, 300, 200));
        restore->trigger();
        QCOMPARE(readKey("listt"), std::string());

        auto* viewer = new TestChild(*frame, app::ActiveKind::Viewer, "/a/f");
        bool hasLocation = false;
        for (QAction* a : viewer->systemMenu()->actions())
            hasLocation |=
                a->text() == QLatin1String("Save Location") && a->data().toInt() == kViewerSaveLocation;
        QVERIFY(hasLocation);
    }

    void childrenStartMaximisedWhenTheirKindWasSavedSo() {
        config::IniFile(cfg()).writeInteger(app::kWindowsSection, "listmax", 1);
        auto frame = makeFrame();
        auto* list = new TestChild(*frame, app::ActiveKind::List, "/a");
        auto* viewer = new TestChild(*frame, app::ActiveKind::Viewer, "/a/f");
        QVERIFY(list->isMaximized());
        QVERIFY(!viewer->isMaximized());
        // Saving a maximised window keeps the position keys it had.
        list->saveSettings();
        QCOMPARE(readKey("listmax"), std::string("1"));
        QCOMPARE(readKey("listt"), std::string("<missing>"));
    }

    void activationDuringStartupOnlyReordersFileWindows() {
        auto frame = makeFrame();
        auto* tree = new TestChild(*frame, app::ActiveKind::Dir, "/");
        frame->state().startupPhase = true;
        auto* autoWin = new TestChild(*frame, app::ActiveKind::Auto, "/usr");
        // The auto-folder window moved to the end of the activation order but
        // did not take over ActiveKind or the view panel from the tree.
        QCOMPARE(frame->activeChild(), autoWin);
        QCOMPARE(frame->state().activeKind, app::ActiveKind::Dir);
        QVERIFY(frame->viewPanel()->disabledCopyShown());
        QVERIFY(frame->state().autoWindowOpen);
        frame->activateChild(tree);
        frame->state().startupPhase = false;
        QCOMPARE(frame->state().activeKind, app::ActiveKind::Dir);
        frame->activateChild(autoWin);
        QCOMPARE(frame->state().activeKind, app::ActiveKind::Auto);
        QCOMPARE(frame->currentOf(app::ActiveKind::Auto), autoWin);
    }

    void cappythingRefreshesMatchingWindowsWithoutActivatingThem() {
        auto frame = makeFrame();
        auto* same = new TestChild(*frame, app::ActiveKind::List, "/home/ann");
        auto* autoWin = new TestChild(*frame, app::ActiveKind::Auto, "/home/ann");
        auto* sibling = new TestChild(*frame, app::ActiveKind::List, "/home/ann2");
        auto* below = new TestChild(*frame, app::ActiveKind::List, "/home/ann/x");
        frame->activateChild(sibling);
        frame->cappything("/home/ann");
        QCOMPARE(same->refreshes.size(), size_t(1));
        QCOMPARE(same->refreshes[0].mode, app::RefreshSignal::DelUpdate);
        QCOMPARE(same->refreshes[0].target, std::string("/home/ann"));
        QCOMPARE(same->refreshes[0].pending, app::RefreshSignal::DelUpdate);
        QCOMPARE(autoWin->refreshes.size(), size_t(1));
        QVERIFY(sibling->refreshes.empty());
        QVERIFY(below->refreshes.empty());
        QCOMPARE(frame->activeChild(), sibling);
        QCOMPARE(frame->state().pendingUpdate, app::RefreshSignal::None);
        QVERIFY(frame->clientArea()->updatesEnabled());
        QCOMPARE(frame->windowsAtOrBelow("/home/ann").size(), 3);
    }

    void viewPanelFollowsTheActiveKind() {
        auto frame = makeFrame();
        QVERIFY(frame->viewPanel()->disabledCopyShown());
        auto* tree = new TestChild(*frame, app::ActiveKind::Dir, "/");
        auto* list = new TestChild(*frame, app::ActiveKind::List, "/a");
        QVERIFY(!frame->viewPanel()->disabledCopyShown());
        frame->activateChild(tree);
        QVERIFY(frame->viewPanel()->disabledCopyShown());
        frame->activateChild(list);
        QVERIFY(!frame->viewPanel()->disabledCopyShown());
    }

    void restoreDefaultConfigurationErasesPlacementOnly() {
        config::IniFile ini(cfg());
        ini.writeString(app::kWindowsSection, "mainmax", "no");
        ini.writeString("Quenby", "editor", "/usr/bin/vi");
        auto frame = makeFrame();
        frame->actions().action(FrameAction::RestoreDefaultConfiguration)->trigger();
        QCOMPARE(readKey("mainmax"), std::string("<missing>"));
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "editor", ""), std::string("/usr/bin/vi"));
        QCOMPARE(messages_, QStringList{"You must restart Arbel for changes to take effect."});
    }

    void refusedSettingsWriteIsReportedOnce() {
        // A settings file in a folder that does not exist cannot be written.
        auto frame =
            std::make_unique<Tmdimain>(FrameOptions{tmp_->path() + "/missing/dir/Arbelwin.cfg", false});
        frame->show();
        QTRY_VERIFY(!frame->startupPending());
        frame->actions().action(FrameAction::FrameSaveSettings)->trigger();
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].startsWith(QStringLiteral("Unable to write to ")));
    }

    void helpPagesAndAboutBox() {
        auto frame = makeFrame();
        frame->actions().action(FrameAction::Contents)->trigger();
        HelpWindow* help = frame->helpWindow();
        QVERIFY(help->isVisible());
        QCOMPARE(help->browser()->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Arbel")));
        frame->actions().action(FrameAction::ScreenMap)->trigger();
        QCOMPARE(help->browser()->source(), QUrl(QStringLiteral("qrc:/help/screenmap.html")));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Screen Map")));
        QCOMPARE(frame->actions().action(FrameAction::Contents)->shortcut(), QKeySequence(Qt::Key_F1));

        frame->actions().action(FrameAction::About)->trigger();
        QPointer<AboutBox> about = frame->findChild<AboutBox*>();
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("about Arbel"));
        QVERIFY(about->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
        QTest::mouseClick(about->findChild<QLabel*>(), Qt::LeftButton);
        QTRY_VERIFY(!about);
    }

    void everyMenuAndToolButtonIsThere() {
        auto frame = makeFrame();
        QStringList menus;
        for (QAction* a : frame->menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "&Volume", "&Open", "&View", "O&ptions", "&Window", "&Help",
                                     "E&xit"}));
        for (int i = 0; i < int(FrameAction::Count_); ++i)
            QVERIFY2(frame->actions().action(FrameAction(i)), qPrintable(QString::number(i)));
        // Hidden items keep working shortcuts: they are not in a menu but are
        // visible actions of the frame.
        QAction* next = frame->actions().action(FrameAction::Next);
        QVERIFY(next->isVisible() && next->isEnabled());
        QVERIFY(!frame->actions().menu(FrameMenu::Options)->actions().contains(next));
        QStringList hints;
        for (ToolButton* b : frame->toolBar()->buttons()) {
            hints << b->toolTip();
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
        }
        QCOMPARE(hints.size(), 17);
        QCOMPARE(hints.first(), QStringLiteral("Create Folder"));
        QCOMPARE(hints.last(), QStringLiteral("Unmap Network Drive"));
    }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"

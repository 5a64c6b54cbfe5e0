// The search window on the offscreen platform, inside a real frame.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <memory>

#include "core/config/settings.h"
#include "core/ops/item_gathering.h"
#include "core/ops/shell_file_op.h"
#include "support/temp_dir.h"
#include "ui/app/command_targets.h"
#include "ui/app/message_box.h"
#include "ui/drag_support.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/deleter.h"
#include "ui/ops/renamer.h"
#include "ui/search/find_results_model.h"
#include "ui/search/findform.h"

using namespace arbel;
using namespace arbel::ui;

namespace {
// Answers as a user who agrees to everything; the copy here meets no question.
struct Agree : ops::OperationQuestions {
    ops::Answer replaceExisting(const std::string&, const std::string&) override { return ops::Answer::Yes; }
    bool createTargetFolder(const std::string&) override { return true; }
    ops::Answer confirmDelete(const std::string&, bool) override { return ops::Answer::Yes; }
    ops::Answer deletePermanently(const std::string&, const Error&) override { return ops::Answer::No; }
    ops::ErrorAnswer onError(const Error&) override { return ops::ErrorAnswer::Abort; }
};
}  // namespace

class FindFormTest : public QObject {
    Q_OBJECT

    // Runs a search with the window's current fields and waits for its end.
    static void search(Tfindform* f) {
        QSignalSpy done(f, &Tfindform::searchFinished);
        QTest::mouseClick(f->searchButton, Qt::LeftButton);
        QVERIFY(done.wait(20000));
    }

    static QStringList column(Tfindform* f, int col) {
        QStringList out;
        auto* m = f->results();
        for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, col).data().toString();
        out.sort();
        return out;
    }

private slots:
    void searchFillsTheListAndFileCommandsTakeTheSelection() {
        test::TempDir tmp;
        const std::string root = tmp.makeDir("root");
        tmp.writeFile("root/a.txt", "x");
        tmp.writeFile("root/sub/b.txt", std::string(1025, 'y'));
        tmp.writeFile("root/sub/c.doc", "z");
        const std::string target = tmp.makeDir("target");
        Tmdimain frame(FrameOptions{tmp / "Arbelwin.cfg", false});
        frame.show();
        QTRY_VERIFY(!frame.startupPending());

        frame.findbutClick();
        Tfindform* f = Tfindform::instance();
        QVERIFY(f);
        QVERIFY(frame.state().fromSearch);
        QCOMPARE(frame.state().activeDialog, app::DialogTag::FindForm);
        frame.findbutClick();  // a second Search brings the same window forward
        QCOMPARE(Tfindform::instance(), f);

        f->setStartFolder(root);
        QCOMPARE(f->windowTitle(), QString::fromStdString("Find files in " + root));
        // A folder name that is not UTF-8 is searched under its real bytes.
        const std::string odd = tmp.makeDir("caf\xe9");
        tmp.writeFile("caf\xe9/odd.txt", "o");
        f->setStartFolder(odd);
        search(f);
        QCOMPARE(column(f, FindResultsModel::NameColumn), QStringList{"odd.txt"});
        QCOMPARE(f->results()->row(0).folder, odd + "/");
        auto oddDrag = dragtest::dragOut(f->resultsView, f->results()->index(0, 0));
        QVERIFY(oddDrag);
        QVERIFY(oddDrag->uriList.endsWith("/caf%E9/odd.txt\r\n"));
        f->setStartFolder(root);
        f->maskEdit->setText("*.TXT");
        f->subfoldersBox->setChecked(true);
        search(f);
        QCOMPARE(column(f, FindResultsModel::NameColumn), (QStringList{"a.txt", "b.txt"}));
        QCOMPARE(column(f, FindResultsModel::SizeColumn), (QStringList{"1 KB", "2 KB"}));
        QCOMPARE(f->stb->currentMessage(), QString("2 File(s) found"));
        QCOMPARE(f->closeButton->text(), QString("&Close"));

        // Select b.txt and copy it the way the copy dialog does: items gathered from
        // the selected result rows.
        auto* m = f->results();
        int b = m->index(0, 0).data().toString() == "b.txt" ? 0 : 1;
        f->resultsView->selectionModel()->select(m->index(b, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(f->selectedPaths(), std::vector<std::string>{root + "/sub/b.txt"});
        // Dragged out, the selection is a URI list of the exact bytes.
        auto dragged = dragtest::dragOut(f->resultsView, m->index(b, 0));
        QVERIFY(dragged);
        QCOMPARE(dragged->uriList, QByteArray::fromStdString("file://" + root + "/sub/b.txt\r\n"));
        // Enter on the result list opens the focused result through the frame.
        std::string opened;
        auto saved = commandHooks().openDocument;
        commandHooks().openDocument = [&](const std::string& p) {
            opened = p;
            return true;
        };
        f->activateWindow();
        f->resultsView->setFocus();
        f->resultsView->setCurrentIndex(m->index(b, 0));
        QTRY_VERIFY(f->resultsView->hasFocus());
        QTest::keyClick(f->resultsView, Qt::Key_Return);
        QTRY_COMPARE(opened, root + "/sub/b.txt");  // asked about off the interface thread
        commandHooks().openDocument = saved;
        QCOMPARE(f->results()->rowCount(), 2);  // Enter there does not start a new search

        ops::GatherInput in;
        in.from = ops::GatherFrom::Search;
        in.selectedRows = f->selectedRows();
        ops::ItemList list{ops::gatherItems(in).items};
        ops::TShellFileOp op(list);
        op.NoConfirmation = true;
        op.Animate = false;
        op.setRunner([](ops::FileOperation& job) {
            Agree agree;
            CancelToken never;
            return job.run(agree, never);
        });
        QVERIFY(!op.Copy(target));
        QCOMPARE(test::readFile(target + "/b.txt"), std::string(1025, 'y'));

        // After a rename and a delete from the results, the list follows without a
        // new search: the renamed row shows its new name, a vanished row goes, a row
        // whose file is still there stays.
        const std::string a = root + "/a.txt";
        QVERIFY(::rename(a.c_str(), (root + "/renamed.txt").c_str()) == 0);
        f->renameResult(a, "renamed.txt");
        QCOMPARE(column(f, FindResultsModel::NameColumn), (QStringList{"b.txt", "renamed.txt"}));
        f->resultsView->selectAll();
        QCOMPARE(f->dropVanishedRows(), 0);
        QVERIFY(::unlink((root + "/sub/b.txt").c_str()) == 0);
        QCOMPARE(f->dropVanishedRows(), 1);
        QCOMPARE(column(f, FindResultsModel::NameColumn), QStringList{"renamed.txt"});
        QCOMPARE(f->selectedPaths(), std::vector<std::string>{root + "/renamed.txt"});

        // Right button: a quick click toggles the row; held, it opens the menu, where
        // Rename needs exactly one selected row.
        f->resultsView->clearSelection();
        const QPoint at = f->resultsView->visualRect(m->index(0, 0)).center();
        QWidget* vp = f->resultsView->viewport();
        QTest::mouseClick(vp, Qt::RightButton, {}, at);
        QCOMPARE(f->selectedPaths().size(), size_t(1));
        QTest::mouseClick(vp, Qt::RightButton, {}, at);
        QCOMPARE(f->selectedPaths().size(), size_t(0));
        QTest::mousePress(vp, Qt::RightButton, {}, at);
        QTRY_VERIFY(f->resultsMenu->isVisible());
        QCOMPARE(f->selectedPaths().size(), size_t(1));
        QAction* rename = f->resultsMenu->findChild<QAction*>("Rename1");
        QVERIFY(rename && rename->isEnabled());
        f->resultsMenu->hide();
        QTest::mouseRelease(vp, Qt::RightButton, {}, at);
        QCOMPARE(f->selectedPaths().size(), size_t(1));  // the release after the menu toggles nothing

        f->close();
        QTRY_VERIFY(!Tfindform::instance());
        QVERIFY(!frame.state().fromSearch);
        QCOMPARE(frame.state().activeDialog, app::DialogTag::None);
    }

    // Delete and Rename opened while the search window is up act on the selected
    // results, and the list follows them without a new search.
    void deleteAndRenameFromTheResultsKeepTheListInStep() {
        test::TempDir tmp;
        const std::string root = tmp.makeDir("root");
        tmp.writeFile("root/gone.txt", "g");
        tmp.writeFile("root/keep.txt", "k");
        Tmdimain frame(FrameOptions{tmp / "Arbelwin.cfg", false});
        frame.show();
        QTRY_VERIFY(!frame.startupPending());
        setMessageInterceptor([](const MessageRequest&) { return QMessageBox::Yes; });

        frame.findbutClick();
        Tfindform* f = Tfindform::instance();
        QVERIFY(f);
        f->setStartFolder(root);
        f->maskEdit->setText("*.txt");
        search(f);
        QCOMPARE(column(f, FindResultsModel::NameColumn), (QStringList{"gone.txt", "keep.txt"}));

        auto* m = f->results();
        auto selectOnly = [&](const QString& name) {
            f->resultsView->clearSelection();
            for (int r = 0; r < m->rowCount(); ++r)
                if (m->index(r, 0).data().toString() == name)
                    f->resultsView->selectionModel()->select(
                        m->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        selectOnly("gone.txt");
        Tdel* d = Tdel::open(frame);
        QVERIFY(d);
        d->CheckBox1->setChecked(false);  // delete, not recycle
        d->CheckBox2->setChecked(false);
        QPointer<Tdel> open = d;
        d->Button1Click();
        QTRY_VERIFY_WITH_TIMEOUT(!open, 30000);  // the deletion ran and its result was applied
        QVERIFY(!test::exists(root + "/gone.txt"));
        QTRY_COMPARE(column(f, FindResultsModel::NameColumn), QStringList{"keep.txt"});

        selectOnly("keep.txt");
        frame.state().renameTarget = root + "/keep.txt";
        frame.renamebutClick();
        auto* ren = qobject_cast<Tren*>(frame.openDialog(app::DialogTag::Rename));
        QVERIFY(ren);
        ren->Edit1->setText("kept.txt");
        ren->Button1Click();
        QVERIFY(test::exists(root + "/kept.txt"));
        QTRY_COMPARE(column(f, FindResultsModel::NameColumn), QStringList{"kept.txt"});
        setMessageInterceptor({});
        f->close();
    }

    void filtersFromTheFormFields() {
        test::TempDir tmp;
        const std::string root = tmp.makeDir("root");
        tmp.writeFile("root/new.txt", "fresh");
        const std::string old = tmp.writeFile("root/old.txt", "stale");
        struct timespec ts[2] = {{946684800, 0}, {946684800, 0}};  // 2000-01-01
        QCOMPARE(::utimensat(AT_FDCWD, old.c_str(), ts, 0), 0);
        tmp.writeFile("root/big.txt", std::string(100 * 1024, 'b'));
        Tmdimain frame(FrameOptions{tmp / "Arbelwin.cfg", false});
        frame.show();
        frame.findbutClick();
        Tfindform* f = Tfindform::instance();
        f->setStartFolder(root);

        // "Modified between" today and today: files written today, the whole day.
        f->dateBox->setChecked(true);
        QVERIFY(f->fromDateEdit->isEnabled());
        search(f);
        QCOMPARE(column(f, 0), (QStringList{"big.txt", "new.txt"}));
        f->fromDateEdit->setText("not a date");  // that end stays open
        search(f);
        QCOMPARE(column(f, 0), (QStringList{"big.txt", "new.txt", "old.txt"}));
        f->dateBox->setChecked(false);

        f->sizeBox->setChecked(true);  // "100" KB, "min"
        search(f);
        QCOMPARE(column(f, 0), QStringList{"big.txt"});
        f->sizeBox->setChecked(false);

        f->containingBox->setChecked(true);
        f->containingEdit->setText("STALE");
        search(f);
        QCOMPARE(column(f, 0), QStringList{"old.txt"});
        f->close();
    }

    void historyAfterSeveralSearches() {
        test::TempDir tmp;
        const std::string root = tmp.makeDir("root");
        const std::string cfg = tmp / "Arbelwin.cfg";
        {
            Tmdimain frame(FrameOptions{cfg, false});
            frame.show();
            frame.findbutClick();
            Tfindform* f = Tfindform::instance();
            f->setStartFolder(root);
            for (const char* mask : {"*.txt", "*.c", "*.txt", "*.*", "readme"}) {
                f->maskEdit->setText(mask);
                search(f);
                QCOMPARE(f->maskEdit->text(), QString(mask));  // the field keeps what was searched
            }
            QStringList items;
            for (int i = 0; i < f->maskHistory->count(); ++i) items << f->maskHistory->itemText(i);
            QCOMPARE(items, (QStringList{"*.*", "readme", "*.txt", "*.c"}));
            f->maskHistory->setCurrentIndex(2);
            emit f->maskHistory->activated(2);
            QCOMPARE(f->maskEdit->text(), QString("*.txt"));
            f->close();
        }
        config::IniFile ini(cfg);
        QCOMPARE(ini.readHistory(config::sections::Findspecs),
                 (std::vector<std::string>{"readme", "*.txt", "*.c"}));
        QCOMPARE(ini.readSection(config::sections::Findspecs).front(), std::string("2=readme"));
    }

    void stopAndEscapeEndTheSearchButKeepTheWindow() {
        test::TempDir tmp;
        const std::string root = tmp.makeDir("root");
        for (int d = 0; d < 200; ++d) tmp.writeFile("root/d" + std::to_string(d) + "/f.txt", "x");
        Tmdimain frame(FrameOptions{tmp / "Arbelwin.cfg", false});
        frame.show();
        frame.findbutClick();
        Tfindform* f = Tfindform::instance();
        f->setStartFolder(root);
        f->subfoldersBox->setChecked(true);
        for (bool escape : {false, true}) {
            QSignalSpy done(f, &Tfindform::searchFinished);
            f->Button1Click();
            QCOMPARE(f->closeButton->text(), QString("Stop"));
            if (escape) {
                QTest::keyClick(f, Qt::Key_Escape);
            } else {
                QTest::mouseClick(f->closeButton, Qt::LeftButton);
            }
            QVERIFY(done.wait(20000));
            QVERIFY(Tfindform::instance());  // Stop is not Close
            QVERIFY(f->stb->currentMessage().endsWith(" File(s) found"));
            QCOMPARE(f->closeButton->text(), QString("&Close"));
        }
        QTest::keyClick(f, Qt::Key_Escape);  // idle: nothing to stop, the window stays
        QVERIFY(Tfindform::instance());
        // Closing while a search runs stops it and frees the window.
        f->Button1Click();
        f->close();
        QTRY_VERIFY(!Tfindform::instance());
    }
};

QTEST_MAIN(FindFormTest)
#include "findform_test.moc"

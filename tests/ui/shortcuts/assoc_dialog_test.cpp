// Associate on the offscreen platform, in a private XDG_DATA_HOME and
// XDG_CONFIG_HOME over the system's MIME database: the dialog's modes, its
// messages and what lands in the user's folders.
#include <sys/stat.h>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "core/assoc/associations.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/shortcuts/assoc.h"

using namespace arbel;
using namespace arbel::ui;
using arbel::test::exists;
using arbel::test::readFile;

namespace {

struct PrivateHome {
    arbel::test::TempDir dir;
    PrivateHome() {
        setenv("HOME", dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.makeDir("config").c_str(), 1);
        setenv("XDG_DATA_HOME", dir.makeDir("data").c_str(), 1);
        setenv("XDG_DATA_DIRS", "/usr/share", 1);
        setenv("XDG_CONFIG_DIRS", dir.makeDir("sysconfig").c_str(), 1);
    }
};
PrivateHome& home() {
    static PrivateHome h;
    return h;
}
const bool homeMade = (home(), true);

}  // namespace

class AssocDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    QStringList asked_;
    QMessageBox::StandardButton answer_ = QMessageBox::Yes;
    assoc::AssociationStore store_;

    int rowOf(Tassoc* d, const std::string& type) {
        for (size_t i = 0; i < d->TypeList().size(); ++i)
            if (d->TypeList()[i] == type) return int(i);
        return -1;
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        asked_.clear();
        answer_ = QMessageBox::Yes;
        setMessageInterceptor([this](const MessageRequest& r) {
            asked_ << r.text;
            return answer_;
        });
        frame_ = std::make_unique<Tmdimain>(FrameOptions{tmp_->path() + "/Arbelwin.cfg", false});
        frame_->show();
        (void)QTest::qWaitFor([&] { return !frame_->startupPending(); }, 2000);
    }
    void cleanup() {
        frame_.reset();
        setMessageInterceptor({});
        tmp_.reset();
    }

    // The list holds one line for each type, "description (command)", in the
    // order of TypeList; choosing a line or typing its extension shows it.
    void listShowsTypesAndExistingModeFollowsTheExtension() {
        auto* d = new Tassoc(*frame_, "");
        QCOMPARE(d->windowTitle(), QStringLiteral("Associate"));
        QCOMPARE(size_t(d->Listview1->count()), d->TypeList().size());
        const int plain = rowOf(d, "text/plain");
        QVERIFY(plain >= 0);
        QVERIFY(d->Listview1->item(plain)->text().endsWith(QLatin1Char(')')));
        QVERIFY(!d->Edit2->isEnabled() && !d->Edit3->isEnabled() && !d->browsebut->isEnabled());
        QCOMPARE(d->Edit2->text(), QStringLiteral("<none>"));
        d->Edit1->setText(QStringLiteral("txt"));
        QVERIFY2(d->Listview1->item(plain)->text().startsWith(d->Edit2->text()),
                 qPrintable(d->Edit2->text()));
        QVERIFY(d->Edit3->text().startsWith(QLatin1Char('(')));
        d->Edit1->setText(QStringLiteral("no-such-extension-here"));
        QCOMPARE(d->Edit3->text(), QStringLiteral("<none>"));

        // OK with no line chosen does nothing at all.
        QPointer<Tassoc> open = d;
        d->Button1Click();
        QVERIFY(open);
        QVERIFY(asked_.isEmpty());
        QVERIFY(!exists(store_.packagePath("nosuchextensionhere")));

        // Choosing a line points the extension at that type and closes.
        d->Edit1->setText(QStringLiteral(".arbelgui1."));
        d->Listview1->setCurrentRow(plain);
        d->Button1Click();
        QTRY_VERIFY(!open);
        QVERIFY(readFile(store_.packagePath("arbelgui1")).find("type=\"text/plain\"") != std::string::npos);
        QVERIFY(!exists(store_.appEntryPath("arbelgui1")));
    }

    // New mode: the messages of the design, then a real registration, and its
    // removal with both fields at "<none>".
    void newModeChecksFieldsRegistersAndRemoves() {
        const std::string program = tmp_->writeFile("bin/viewer prog", "#!/bin/sh\n");
        chmod(program.c_str(), 0755);
        auto* d = new Tassoc(*frame_, "arbelgui2");
        QPointer<Tassoc> open = d;
        d->newmode->click();
        QVERIFY(d->Edit2->isEnabled() && d->Edit3->isEnabled() && !d->Listview1->isEnabled());
        QCOMPARE(d->Edit1->text(), QStringLiteral("arbelgui2"));
        d->Edit2->clear();
        d->Button1Click();
        QCOMPARE(asked_, QStringList{QStringLiteral("All fields must be filled in.")});
        d->Edit2->setText(QStringLiteral("GUI files"));
        d->Edit3->setText(QString::fromStdString(tmp_->path() + "/bin/missing"));
        d->Button1Click();
        QCOMPARE(asked_.last(), QStringLiteral("The specified command path is invalid."));
        d->Edit3->setText(QString::fromStdString(program));
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        QTRY_VERIFY(!open);
        QVERIFY(store_.ownsExtension("arbelgui2"));
        QVERIFY(readFile(store_.appEntryPath("arbelgui2")).find("Exec=\"" + program + "\" %f") !=
                std::string::npos);

        d = new Tassoc(*frame_, "arbelgui2");
        open = d;
        d->newmode->click();
        answer_ = QMessageBox::No;
        d->Button1Click();
        QCOMPARE(asked_.last(), QStringLiteral("Remove this association?"));
        QVERIFY(open);
        QVERIFY(store_.ownsExtension("arbelgui2"));
        answer_ = QMessageBox::Yes;
        d->Button1Click();
        QTRY_VERIFY(!open);
        QVERIFY(!store_.ownsExtension("arbelgui2"));
        QVERIFY(!exists(store_.appEntryPath("arbelgui2")));
    }

    // Delete Type asks first, and a system type is refused with a message and stays.
    void deleteTypeRefusesSystemTypes() {
        auto* d = new Tassoc(*frame_, "");
        const int plain = rowOf(d, "text/plain");
        QVERIFY(plain >= 0);
        const int count = d->Listview1->count();
        d->Listview1->setCurrentRow(plain);
        answer_ = QMessageBox::No;
        d->DeleteRegisteredType1Click();
        QCOMPARE(asked_, QStringList{QStringLiteral("Remove selected association type?")});
        answer_ = QMessageBox::Yes;
        d->DeleteRegisteredType1Click();
        QCOMPARE(asked_.size(), 3);
        QCOMPARE(asked_.last(), QString::fromUtf8(assoc::kNotOurs));
        QCOMPARE(d->Listview1->count(), count);
        QCOMPARE(d->TypeList()[size_t(plain)], std::string("text/plain"));
        d->close();
    }

    // From the frame: the extension of the selected entry is proposed whole,
    // without its dot.
    void frameCommandProposesTheSelectedEntrysExtension() {
        tmp_->writeFile("docs/notes.markdown", "x");
        auto* w = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, *tmp_ / "docs", {"notes.markdown"}));
        QVERIFY(w);
        QVERIFY(QTest::qWaitFor([&] { return !w->reading() && w->selectedNames().size() == 1; }, 10000));
        frame_->activateChild(w);
        frame_->Associate1Click();
        auto* d = qobject_cast<Tassoc*>(frame_->openDialog(app::DialogTag::Assoc));
        QVERIFY(d);
        QCOMPARE(d->Edit1->text(), QStringLiteral("markdown"));
        d->close();
        QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);
    }
};

QTEST_MAIN(AssocDialogTest)
#include "assoc_dialog_test.moc"

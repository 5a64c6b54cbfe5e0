// The properties window on the offscreen platform: a file, a folder, a link and
// a name that is no UTF-8; the permission boxes; the checksum with its
// comparison and its Stop.
#include <sys/stat.h>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/frame_toolbar.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/ops/attrib.h"
#include "ui/ops/checksum_section.h"
#include "ui/ops/properties_window.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

QString toolDigest(const char* tool, const std::string& path) {
    QProcess p;
    p.start(QString::fromLatin1(tool), {QString::fromLocal8Bit(path.c_str())});
    p.waitForFinished(60000);
    return QString::fromLatin1(p.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0);
}

}  // namespace

class PropertiesWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    QStringList told_;

    PropertiesWindow* openOn(const std::string& path) {
        PropertiesWindow* w = showItemProperties(*frame_, path);
        if (w && !QTest::qWaitFor([&] { return w->loaded(); }, 10000)) return nullptr;
        return w;
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        told_.clear();
        setMessageInterceptor([this](const MessageRequest& r) {
            told_ << r.text;
            return QMessageBox::Ok;
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

    void showsAFileAFolderALinkAndAByteName() {
        const std::string file = tmp_->writeFile("notes.txt", "hello there\n");
        ::chmod(file.c_str(), 0640);
        PropertiesWindow* w = openOn(file);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("notes.txt Properties"));
        QCOMPARE(w->nameLabel->text(), QStringLiteral("notes.txt"));
        QVERIFY(!w->kindLabel->text().isEmpty());
        QCOMPARE(w->locationLabel->text(), QString::fromStdString(tmp_->path()));
        QCOMPARE(w->sizeLabel->text(), QStringLiteral("12 bytes"));
        QCOMPARE(w->permissionLabel->text(), QStringLiteral("rw-r-----"));
        QVERIFY(w->permissionBoxes[0]->isChecked() && !w->permissionBoxes[2]->isChecked());
        QVERIFY(!w->modifiedLabel->text().isEmpty());
        QVERIFY(!w->volumeLabel->text().isEmpty());
        QVERIFY(!w->linkLabel->isVisibleTo(w));
        QVERIFY(w->checksum->isVisibleTo(w));
        // The same item again: the open window comes forward, no second one.
        QCOMPARE(showItemProperties(*frame_, file), w);

        // A folder: its size is counted below it, in the background.
        tmp_->writeFile("dir/a", "12345");
        tmp_->writeFile("dir/deep/b", "123");
        PropertiesWindow* d = openOn(*tmp_ / "dir");
        QVERIFY(d);
        QTRY_VERIFY(!d->counting());
        QCOMPARE(d->sizeLabel->text(), QStringLiteral("8 bytes, 2 files, 1 folders"));
        QVERIFY(!d->checksum->isVisibleTo(d));

        // A link: the target's facts and the text the link holds.
        tmp_->makeLink("link", "notes.txt");
        PropertiesWindow* l = openOn(*tmp_ / "link");
        QVERIFY(l);
        QVERIFY(l->linkLabel->isVisibleTo(l));
        QCOMPARE(l->linkLabel->text(), QStringLiteral("notes.txt"));
        QCOMPARE(l->sizeLabel->text(), QStringLiteral("12 bytes"));
        tmp_->makeLink("broken", "nowhere");
        PropertiesWindow* b = openOn(*tmp_ / "broken");
        QVERIFY(b);
        QCOMPARE(b->linkLabel->text(), QStringLiteral("nowhere (missing)"));
        QVERIFY(!b->permissionBoxes[0]->isEnabled());

        // Bytes that are no UTF-8: shown replaced, kept whole in the path.
        const std::string odd = tmp_->writeFile("caf\xe9.txt", "x");
        PropertiesWindow* o = openOn(odd);
        QVERIFY(o);
        QCOMPARE(o->path(), odd);
        QCOMPARE(o->nameLabel->text(), QStringLiteral("caf\uFFFD.txt"));
        QCOMPARE(o->sizeLabel->text(), QStringLiteral("1 bytes"));

        PropertiesWindow* gone = openOn(*tmp_ / "absent");
        QVERIFY(gone);
        QVERIFY(gone->errorLabel->text().contains(QStringLiteral("No such file or directory")));
    }

    // The frame's ways in: Ctrl+Shift+A and a right click on the Attributes
    // button give the one selected entry's window; Change Attributes opens the
    // dialog, never a properties window.
    void reachedFromTheFrame() {
        tmp_->writeFile("f/only.txt", "o");
        tmp_->writeFile("f/other.txt", "x");
        auto* list = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, *tmp_ / "f"));
        QVERIFY(list);
        QTRY_VERIFY(!list->reading());
        list->selectNames({"only.txt"});
        frame_->activateChild(list);
        frame_->actions().action(FrameAction::Properties)->trigger();
        PropertiesWindow* w = frame_->findChild<PropertiesWindow*>();
        QVERIFY(w);
        QCOMPARE(w->path(), *tmp_ / "f/only.txt");
        w->close();
        QTRY_VERIFY(!frame_->findChild<PropertiesWindow*>());

        emit frame_->toolBar()->attribbut->rightClicked();
        QVERIFY(frame_->findChild<PropertiesWindow*>());
        frame_->findChild<PropertiesWindow*>()->close();
        QTRY_VERIFY(!frame_->findChild<PropertiesWindow*>());

        // Two entries: no single item, no window.
        list->selectNames({"only.txt", "other.txt"});
        frame_->actions().action(FrameAction::Properties)->trigger();
        QVERIFY(!frame_->findChild<PropertiesWindow*>());
        frame_->actions().action(FrameAction::ChangeAttributes)->trigger();
        auto* d = qobject_cast<Tattrib*>(frame_->openDialog(app::DialogTag::Attrib));
        QVERIFY(d);
        QCOMPARE(d->view().items.size(), size_t(2));
        d->close();
        QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);
    }

    // A box changes the bit on disk at once; the folder's windows reread.
    void permissionBoxesChangeTheItem() {
        const std::string file = tmp_->writeFile("p/f.txt", "x");
        ::chmod(file.c_str(), 0644);
        auto* list = dynamic_cast<FileWindow*>(openFolderWindow(*frame_, *tmp_ / "p"));
        QVERIFY(list);
        QTRY_VERIFY(!list->reading());
        list->selectNames({"f.txt"});
        PropertiesWindow* w = openOn(file);
        QVERIFY(w);
        QVERIFY(w->permissionBoxes[4]->isEnabled());
        QSignalSpy reread(list, &FileWindow::listRead);
        w->permissionBoxes[4]->click();  // group write
        QCOMPARE(modeOf(file), 0664u);
        QCOMPARE(w->permissionLabel->text(), QStringLiteral("rw-rw-r--"));
        QTRY_VERIFY(reread.count() >= 1);
        QTRY_COMPARE(list->selectedNames(), std::vector<std::string>{"f.txt"});
        w->permissionBoxes[1]->click();  // owner write off: read-only
        QCOMPARE(modeOf(file), 0464u);
        QVERIFY(told_.isEmpty());
    }

    void checksumMatchesTheToolAndComparesWithAPastedValue() {
        std::string data;
        for (int i = 0; i < 3 * (1 << 20) + 11; ++i) data.push_back(char(i * 7 + (i >> 11)));
        const std::string file = tmp_->writeFile("data.bin", data);
        PropertiesWindow* w = openOn(file);
        QVERIFY(w);
        ChecksumSection* c = w->checksum;
        QSignalSpy finished(c, &ChecksumSection::finished);
        c->computeButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        const QString sha = toolDigest("sha256sum", file);
        QCOMPARE(sha.size(), 64);
        QCOMPARE(c->digestField->text(), sha);

        c->compareField->setText(QStringLiteral("  ") + sha.toUpper() + QStringLiteral("  data.bin\n"));
        QCOMPARE(c->compareLabel->text(), QStringLiteral("Matches"));
        c->compareField->setText(QString(sha).replace(0, 1, sha[0] == QLatin1Char('0') ? "1" : "0"));
        QCOMPARE(c->compareLabel->text(), QStringLiteral("Does not match"));

        c->kindBox->setCurrentIndex(1);  // MD5
        QVERIFY(c->digestField->text().isEmpty());
        c->computeButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
        QCOMPARE(c->digestField->text(), toolDigest("md5sum", file));
    }

    // Stop ends a long sum without a digest; closing the window mid-sum is safe.
    void stopEndsTheSum() {
        const std::string big = *tmp_ / "big.bin";
        {
            QFile f(QString::fromStdString(big));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(qint64(8) << 30));  // sparse: no disk used, long to read
        }
        PropertiesWindow* w = openOn(big);
        QVERIFY(w);
        ChecksumSection* c = w->checksum;
        QSignalSpy finished(c, &ChecksumSection::finished);
        c->computeButton->click();
        QVERIFY(c->running());
        QVERIFY(c->stopButton->isEnabled());
        QTRY_VERIFY(c->progress->value() > 0);
        c->stopButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QVERIFY(c->digestField->text().isEmpty());
        QCOMPARE(c->statusLabel->text(), QStringLiteral("Stopped."));
        QVERIFY(!c->stopButton->isEnabled());

        c->computeButton->click();
        QVERIFY(c->running());
        QPointer<PropertiesWindow> open = w;
        w->close();
        QTRY_VERIFY(!open);
    }
};

QTEST_MAIN(PropertiesWindowTest)
#include "properties_window_test.moc"

// Undo from the File menu and from the history window, and the replace question
// that shows both files, on a real frame over real files.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <memory>

#include "core/commands/command_id.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/copier.h"
#include "ui/ops/dialog_source.h"
#include "ui/ops/operation_runner.h"
#include "ui/ops/renamer.h"
#include "ui/ops/undo_history.h"
#include "ui/ops/undo_journal.h"

using namespace arbel;
using namespace arbel::ui;
using arbel::test::exists;
using arbel::test::readFile;

class UndoTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    QList<MessageRequest> asked_;
    std::function<QMessageBox::StandardButton(const MessageRequest&)> answer_;

    DialogSource listSource(std::vector<std::string> items) {
        DialogSource s;
        s.kind = app::ActiveKind::List;
        s.gathered.items = std::move(items);
        s.gathered.firstItem = s.gathered.items.front();
        s.windowFolder = tmp_->path();
        countKinds(s);
        return s;
    }
    // Copies through the copy dialog, as the user would.
    void copyWithDialog(std::vector<std::string> items, const std::string& target) {
        auto* d = new Tcopier(*frame_, Tcopier::Mode::Copy, listSource(std::move(items)));
        d->ComboBox1->setEditText(QString::fromStdString(target));
        d->autobox->setChecked(false);
        QPointer<QDialog> open = d;
        d->Button1Click();
        QVERIFY(QTest::qWaitFor([&] { return !open; }, 30000));
        QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);
    }
    QAction* undoItem() {
        frame_->File1Click();  // the menu opening sets its items
        return frame_->actions().action(FrameAction::Undo);
    }

private slots:
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        asked_.clear();
        answer_ = [](const MessageRequest&) { return QMessageBox::Ok; };
        setMessageInterceptor([this](const MessageRequest& r) {
            asked_ << r;
            return answer_(r);
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

    // Nothing to undo: disabled. After a copy into a folder whose name holds an
    // "&": the item names the copy (the "&" shown as itself), Ctrl+Z undoes it,
    // and the item is disabled again.
    void undoItemNamesTheCopyAndUndoesIt() {
        QVERIFY(!undoItem()->isEnabled());
        QCOMPARE(undoItem()->text(), QStringLiteral("&Undo"));
        tmp_->writeFile("src/a.txt", "a");
        tmp_->writeFile("src/b.txt", "b");
        std::string target = tmp_->makeDir("R&D");
        copyWithDialog({*tmp_ / "src/a.txt", *tmp_ / "src/b.txt"}, target);
        QVERIFY(exists(target + "/b.txt"));
        QVERIFY(undoItem()->isEnabled());
        QCOMPARE(undoItem()->text(),
                 QStringLiteral("&Undo Copy of 2 items to ") + QString::fromStdString(*tmp_ / "R&&D"));
        QTest::keyClick(frame_.get(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_VERIFY(!exists(target + "/a.txt") && !exists(target + "/b.txt"));
        QTRY_VERIFY(!undoItem()->isEnabled());
        QCOMPARE(readFile(*tmp_ / "src/a.txt"), std::string("a"));
        QVERIFY(asked_.isEmpty());
    }

    // A copy edited meanwhile stays, and the user is told its name and why.
    void whatCannotBeUndoneIsReportedByName() {
        tmp_->writeFile("src/a.txt", "a");
        std::string target = tmp_->makeDir("dst");
        copyWithDialog({*tmp_ / "src/a.txt"}, target);
        std::ofstream(target + "/a.txt", std::ios::app) << "edited";
        frame_->Undo1Click();
        QTRY_COMPARE(asked_.size(), 1);
        QVERIFY(asked_[0].text.contains(QString::fromStdString(target + "/a.txt")));
        QVERIFY(asked_[0].text.contains(QStringLiteral("changed after it was copied")));
        QCOMPARE(readFile(target + "/a.txt"), std::string("aedited"));
    }

    // The history lists newest first; an older entry whose items a newer one
    // changed is refused with the reason, the newest is undone, the list follows.
    void historyRefusesOutOfOrderAndUndoesTheChosenEntry() {
        tmp_->writeFile("src/a.txt", "a");
        std::string target = tmp_->makeDir("dst");
        copyWithDialog({*tmp_ / "src/a.txt"}, target);
        QPointer<Tren> ren = new Tren(*frame_, listSource({target + "/a.txt"}), target + "/a.txt");
        ren->show();
        ren->Edit1->setText(QStringLiteral("b.txt"));
        ren->Button1Click();
        QTRY_VERIFY(!ren || !ren->isVisible());
        QVERIFY(exists(target + "/b.txt"));

        QPointer<Tundohist> hist = Tundohist::open(*frame_);
        QCOMPARE(frame_->state().activeDialog, app::DialogTag::Undo);
        QCOMPARE(hist->list->count(), 2);
        QCOMPARE(hist->list->item(0)->text(), QStringLiteral("Rename of a.txt to b.txt"));
        hist->list->setCurrentRow(1);
        hist->Button1Click();
        QCOMPARE(asked_.size(), 1);
        QVERIFY(asked_[0].text.startsWith(QStringLiteral("Cannot undo this now.")));
        QVERIFY(asked_[0].text.contains(QStringLiteral("undo it first")));
        QVERIFY(exists(target + "/b.txt"));

        hist->list->setCurrentRow(0);
        hist->Button1Click();
        QTRY_VERIFY(exists(target + "/a.txt"));
        QTRY_COMPARE(hist->list->count(), 1);
        QVERIFY(hist->list->item(0)->text().startsWith(QStringLiteral("Copy of a.txt")));
        hist->close();
        QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);
    }

    // The replace question shows both files and offers Keep Both; the answer
    // gives the incoming file "name (2).ext" beside the one that was there.
    void replaceQuestionShowsBothAndKeepsBoth() {
        tmp_->writeFile("src/a.txt", "incoming!");
        std::string target = tmp_->makeDir("dst");
        tmp_->writeFile("dst/a.txt", "old");
        answer_ = [](const MessageRequest& r) {
            return r.text.contains(QStringLiteral("already exists")) ? QMessageBox::Save : QMessageBox::Ok;
        };
        copyWithDialog({*tmp_ / "src/a.txt"}, target);
        QCOMPARE(asked_.size(), 1);
        const MessageRequest& q = asked_[0];
        QVERIFY(q.text.contains(QStringLiteral("Existing: 3 bytes")));
        QVERIFY(q.text.contains(QStringLiteral("Incoming: 9 bytes")));
        QVERIFY(q.text.contains(QStringLiteral("larger")));
        QVERIFY(q.buttons.testFlag(QMessageBox::Save) && q.buttons.testFlag(QMessageBox::SaveAll));
        QVERIFY(q.buttons.testFlag(QMessageBox::Yes) && q.buttons.testFlag(QMessageBox::NoToAll));
        bool captioned = false;
        for (const auto& [button, text] : q.buttonTexts)
            if (button == QMessageBox::Save && text == kKeepBoth) captioned = true;
        QVERIFY(captioned);
        QCOMPARE(readFile(target + "/a.txt"), std::string("old"));
        QCOMPARE(readFile(target + "/a (2).txt"), std::string("incoming!"));
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"

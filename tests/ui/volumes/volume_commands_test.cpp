// Format Disk and Label Disk from the frame, over a machine described by a list: the
// volumes are folders of a temporary tree and the disk service is a recorder.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <mutex>

#include "core/volumes/volume_service.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/ops/renamer.h"
#include "ui/tree/dir_tree_view.h"
#include "ui/tree/mdisubdir.h"
#include "ui/volumes/format_disk.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

// The machine for both the tree and the volume commands.
class Machine : public tree::VolumeSource, public volumes::VolumeService {
public:
    std::mutex mutex;
    std::vector<Volume> vols;
    std::vector<std::string> protectedList;
    std::vector<std::string> done;  // "format <mount> <type> <label>", "label <mount> <label>"
    ServiceResult answer;

    std::vector<Volume> list() override { return volumes(); }
    std::vector<VolumeState> probe(const std::vector<Volume>& v) override {
        return std::vector<VolumeState>(v.size(), VolumeState{true, 7, false});
    }
    std::vector<Volume> volumes() override {
        std::lock_guard lock(mutex);
        return vols;
    }
    bool mediumPresent(const Volume&) override { return true; }
    std::vector<std::string> protectedPaths() override {
        std::lock_guard lock(mutex);
        return protectedList;
    }
    ServiceResult format(const Volume& v, const FormatRequest& request) override {
        std::lock_guard lock(mutex);
        done.push_back("format " + v.mountPoint + " " + request.fsType + " " + request.label +
                       (request.fullErase ? " full" : " quick"));
        return answer;
    }
    ServiceResult setLabel(const Volume& v, const std::string& label) override {
        std::lock_guard lock(mutex);
        done.push_back("label " + v.mountPoint + " " + label);
        if (answer.ok())
            for (auto& x : vols)
                if (x.mountPoint == v.mountPoint) x.label = label;
        return answer;
    }
    std::vector<std::string> record() {
        std::lock_guard lock(mutex);
        return done;
    }
};

Volume vol(const std::string& mountPoint, DriveType type, unsigned minor, const std::string& label) {
    Volume v;
    v.mountPoint = mountPoint;
    v.type = type;
    v.fsType = "vfat";
    v.source = "/dev/sdz" + std::to_string(minor);
    v.major = 8;
    v.minor = minor;
    v.label = label;
    v.displayName = label;
    return v;
}

}  // namespace

class VolumeCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void formatAsksFirstThenFormatsAndRefreshesTheVolumesWindows();
    void cancelAndRefusalsFormatNothing();
    void aFailedFormatSaysWhyAndKeepsTheDialog();
    void theLabelDialogWritesTheLabelAndTheTreeFollows();
    void aRefusedLabelKeepsTheDialogOpen();
    void diskItemsNeedAVolumeInTheTree();

private:
    void selectInTree(const std::string& path);
    std::string mp(const char* name) const { return tmp_->path() + "/" + name; }
    QAction* action(FrameAction a) const { return frame_->actions().action(a); }

    std::unique_ptr<test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    std::shared_ptr<Machine> machine_;
    Tmdisubdir* tree_ = nullptr;
    QStringList messages_;
    MessageInterceptor previous_;
};

void VolumeCommandsTest::init() {
    tmp_ = std::make_unique<test::TempDir>();
    tmp_->makeDir("stick/photos");
    tmp_->makeDir("system/etc");
    machine_ = std::make_shared<Machine>();
    machine_->vols = {vol(mp("stick"), DriveType::Removable, 1, "OLD"),
                      vol(mp("system"), DriveType::Fixed, 2, "")};
    machine_->protectedList = {mp("system") + "/etc"};
    volumes::setVolumeService(machine_);
    messages_.clear();
    previous_ = setMessageInterceptor([this](const MessageRequest& r) {
        messages_ << r.text;
        return QMessageBox::Ok;
    });
    frame_ = std::make_unique<Tmdimain>(FrameOptions{tmp_->path() + "/Arbelwin.cfg", false});
    frame_->resize(900, 700);
    frame_->show();
    QTRY_VERIFY(!frame_->startupPending());
    tree_ = new Tmdisubdir(*frame_, machine_.get());
}

void VolumeCommandsTest::cleanup() {
    frame_->state().viewerMode = app::ViewerMode::Closing;
    frame_.reset();
    setMessageInterceptor(previous_);
    volumes::setVolumeService(nullptr);
    machine_.reset();
    tmp_.reset();
}

void VolumeCommandsTest::selectInTree(const std::string& path) {
    QVERIFY(tree_->DirTree1().GoToDir(path).ok());
    frame_->activateChild(tree_);
    QCOMPARE(frame_->state().activeKind, app::ActiveKind::Dir);
}

void VolumeCommandsTest::formatAsksFirstThenFormatsAndRefreshesTheVolumesWindows() {
    ChildWindow* list = openFolderWindow(*frame_, mp("stick") + "/photos");
    selectInTree(mp("stick"));
    action(FrameAction::FormatDisk)->trigger();
    QTRY_VERIFY(frame_->openDialog(app::DialogTag::Format));
    auto* dialog = qobject_cast<Tformat*>(frame_->openDialog(app::DialogTag::Format));
    QVERIFY(dialog);
    QVERIFY(machine_->record().empty());  // nothing before the user's consent
    QCOMPARE(dialog->FileSystem->currentText(), QStringLiteral("vfat"));
    QCOMPARE(dialog->LabelEdit->text(), QStringLiteral("OLD"));
    QVERIFY(!dialog->QuickBox->isChecked());  // the frame offers a full format first
    QVERIFY(dialog->CancelButton->isDefault());

    dialog->FileSystem->setCurrentText(QStringLiteral("ext4"));
    dialog->LabelEdit->setText(QStringLiteral("NEW"));
    dialog->QuickBox->setChecked(true);
    QPointer<Tformat> guard(dialog);
    dialog->FormatButton->click();
    QTRY_VERIFY(!guard);
    QCOMPARE(machine_->record(), std::vector<std::string>{"format " + mp("stick") + " ext4 NEW quick"});
    QCOMPARE(frame_->state().activeDialog, app::DialogTag::None);
    QVERIFY(messages_.isEmpty());
    // The tree shows the new label; the window inside the volume moved to its root.
    QCOMPARE(tree_->DirTree1().nodeText(tree_->DirTree1().roots().at(0).get()), std::string("NEW"));
    QCOMPARE(static_cast<FileWindow*>(list)->shownFolder(), mp("stick"));
}

void VolumeCommandsTest::cancelAndRefusalsFormatNothing() {
    selectInTree(mp("stick"));
    action(FrameAction::FormatDisk)->trigger();
    QTRY_VERIFY(frame_->openDialog(app::DialogTag::Format));
    qobject_cast<Tformat*>(frame_->openDialog(app::DialogTag::Format))->CancelButton->click();
    QTRY_COMPARE(frame_->state().activeDialog, app::DialogTag::None);

    // The volume holding a protected path is refused, and told why.
    selectInTree(mp("system"));
    action(FrameAction::FormatDisk)->trigger();
    QTRY_COMPARE(messages_.size(), 1);
    QVERIFY(messages_.front().contains(QStringLiteral("cannot be formatted")));
    QVERIFY(!frame_->openDialog(app::DialogTag::Format));

    // A folder is not a volume: the command does nothing at all.
    selectInTree(mp("stick") + "/photos");
    action(FrameAction::FormatDisk)->trigger();
    QTest::qWait(100);
    QVERIFY(!frame_->openDialog(app::DialogTag::Format));

    // The volume's folder vanished.
    selectInTree(mp("stick"));
    test::removeTree(mp("stick"));
    action(FrameAction::FormatDisk)->trigger();
    QCOMPARE(messages_.back(), QStringLiteral("That drive appears to be invalid."));
    QTest::qWait(100);
    QVERIFY(!frame_->openDialog(app::DialogTag::Format));
    QVERIFY(machine_->record().empty());
}

void VolumeCommandsTest::aFailedFormatSaysWhyAndKeepsTheDialog() {
    machine_->answer = ServiceResult{ServiceOutcome::Failed, "/dev/sdz1", "Device is busy", {}, {}};
    selectInTree(mp("stick"));
    action(FrameAction::FormatDisk)->trigger();
    QTRY_VERIFY(frame_->openDialog(app::DialogTag::Format));
    auto* dialog = qobject_cast<Tformat*>(frame_->openDialog(app::DialogTag::Format));
    dialog->FormatButton->click();
    QTRY_COMPARE(messages_.size(), 1);
    QVERIFY(messages_.front().contains(QStringLiteral("Device is busy")));
    QCOMPARE(frame_->openDialog(app::DialogTag::Format), dialog);
    QVERIFY(dialog->FormatButton->isEnabled());

    // A dismissed authorisation is the user's cancel: no message.
    machine_->answer.outcome = ServiceOutcome::Cancelled;
    dialog->FormatButton->click();
    QTRY_COMPARE(machine_->record().size(), size_t(2));
    QTRY_VERIFY(dialog->FormatButton->isEnabled());
    QCOMPARE(messages_.size(), 1);
}

void VolumeCommandsTest::theLabelDialogWritesTheLabelAndTheTreeFollows() {
    selectInTree(mp("stick"));
    action(FrameAction::LabelDisk)->trigger();
    auto* ren = qobject_cast<Tren*>(frame_->openDialog(app::DialogTag::Rename));
    QVERIFY(ren);
    QCOMPARE(ren->mode(), Tren::Mode::VolumeLabel);
    QCOMPARE(ren->windowTitle(), QStringLiteral("Volume Label of ") + QString::fromStdString(mp("stick")));
    QCOMPARE(ren->Edit1->text(), QStringLiteral("OLD"));
    ren->Edit1->setText(QStringLiteral("Holiday 2026"));
    QPointer<Tren> guard(ren);
    QTest::keyClick(ren->Edit1, Qt::Key_Return);
    QTRY_VERIFY(!guard);
    QCOMPARE(machine_->record(), std::vector<std::string>{"label " + mp("stick") + " Holiday 2026"});
    QCOMPARE(tree_->DirTree1().nodeText(tree_->DirTree1().roots().at(0).get()), std::string("Holiday 2026"));
    QVERIFY(messages_.isEmpty());

    // Rename on a volume in the tree is the same dialog; on a folder it renames.
    selectInTree(mp("system"));
    action(FrameAction::Rename)->trigger();
    ren = qobject_cast<Tren*>(frame_->openDialog(app::DialogTag::Rename));
    QVERIFY(ren);
    QCOMPARE(ren->mode(), Tren::Mode::VolumeLabel);
    ren->close();
    selectInTree(mp("system") + "/etc");
    action(FrameAction::Rename)->trigger();
    ren = qobject_cast<Tren*>(frame_->openDialog(app::DialogTag::Rename));
    QVERIFY(ren);
    QCOMPARE(ren->mode(), Tren::Mode::Rename);
    ren->close();
}

void VolumeCommandsTest::aRefusedLabelKeepsTheDialogOpen() {
    machine_->answer = ServiceResult{ServiceOutcome::NotAuthorized, "/dev/sdz1", "Not authorized", {}, {}};
    selectInTree(mp("stick"));
    action(FrameAction::LabelDisk)->trigger();
    auto* ren = qobject_cast<Tren*>(frame_->openDialog(app::DialogTag::Rename));
    QVERIFY(ren);
    ren->Edit1->setText(QStringLiteral("NOPE"));
    QTest::keyClick(ren->Edit1, Qt::Key_Return);
    QTRY_COMPARE(messages_.size(), 1);
    QVERIFY(messages_.front().startsWith(QStringLiteral("Unable change Volume Label.")));
    QCOMPARE(frame_->openDialog(app::DialogTag::Rename), ren);
    QTRY_VERIFY(ren->Button1->isEnabled());
    QCOMPARE(tree_->DirTree1().nodeText(tree_->DirTree1().roots().at(0).get()), std::string("OLD"));
}

void VolumeCommandsTest::diskItemsNeedAVolumeInTheTree() {
    selectInTree(mp("stick"));
    frame_->Volume1Click();
    QVERIFY(action(FrameAction::LabelDisk)->isEnabled());
    QVERIFY(action(FrameAction::FormatDisk)->isEnabled());
    QVERIFY(!action(FrameAction::Sharing)->isEnabled());
    openFolderWindow(*frame_, mp("stick"));
    QTRY_COMPARE(frame_->state().activeKind, app::ActiveKind::List);
    frame_->Volume1Click();
    QVERIFY(!action(FrameAction::LabelDisk)->isEnabled());
    QVERIFY(!action(FrameAction::FormatDisk)->isEnabled());
}

QTEST_MAIN(VolumeCommandsTest)
#include "volume_commands_test.moc"

// Viewer windows on the offscreen platform: the auto viewer following a folder
// window's selection, text display modes, GIF playing speed, and files that
// cannot be shown.
// jpeglib.h needs size_t and FILE declared first.
#include <sys/stat.h>

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "core/config/settings.h"
#include "core/viewer/gif_builder.h"
#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/stall_watch.h"
#include "ui/viewer/gif_image.h"
#include "ui/viewer/mdiview.h"
#include "ui/viewer/plus_memo.h"

using namespace arbel;
using namespace arbel::ui;
using viewer::ViewKind;

namespace {

std::string encodeJpeg(int w, int h) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(size_t(w) * 3, 0);
    for (int x = 0; x < w; ++x) row[size_t(x) * 3 + 1] = 200;  // green
    while (c.next_scanline < c.image_height) {
        JSAMPROW r[1] = {row.data()};
        jpeg_write_scanlines(&c, r, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<char*>(mem), size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

std::string twoFrameGif(int delayCs) {
    using viewer::test::solid;
    auto a = solid(0, 0, 3, 2, 1), b = solid(0, 0, 3, 2, 2);
    a.delayCs = b.delayCs = delayCs;
    return viewer::test::buildGif(3, 2, {0x000000, 0xFF0000, 0x0000FF, 0xFFFFFF}, {a, b}, 0);
}

}  // namespace

class ViewerTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    QStringList messages_;

    std::string cfg() const { return tmp_->path() + "/Arbelwin.cfg"; }
    std::unique_ptr<Tmdimain> makeFrame() {
        auto frame = std::make_unique<Tmdimain>(FrameOptions{cfg(), false});
        frame->show();
        (void)QTest::qWaitFor([&] { return !frame->startupPending(); }, 2000);
        return frame;
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

    void autoViewerFollowsTheFolderWindowsSelection() {
        tmp_->writeFile("files/a.txt", "hello <b>there</b>\nsecond line");
        tmp_->writeFile("files/b.gif", twoFrameGif(10));
        tmp_->writeFile("files/c.jpeg", encodeJpeg(7, 5));
        auto frame = makeFrame();

        auto* list = qobject_cast<FileWindow*>(openFolderWindow(*frame, *tmp_ / "files"));
        QVERIFY(list);
        QSignalSpy read(list, &FileWindow::listRead);
        QTRY_VERIFY(!list->reading());
        // F7 with nothing selected: the auto viewer opens empty.
        frame->activateChild(list);
        frame->actions().action(FrameAction::AutoFileViewer)->trigger();
        auto* autoView = qobject_cast<Tmdiview*>(frame->autoViewer());
        QVERIFY(autoView);
        QCOMPARE(autoView->windowTitle(), QStringLiteral("Auto View: "));
        QCOMPARE(int(autoView->shownKind()), int(ViewKind::None));
        QVERIFY(frame->state().autoViewerOn);
        QCOMPARE(openAutoViewer(*frame, ""), autoView);  // at most one
        frame->activateChild(list);

        auto select = [&](const char* name) {
            TFileList& model = list->fileList();
            for (int row = 0; row < model.rowCount(); ++row) {
                if (model.fullPath(row) == *tmp_ / std::string("files/") + name) {
                    list->listView().selectionModel()->select(
                        model.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                    return true;
                }
            }
            return false;
        };
        QVERIFY(select("a.txt"));
        QTRY_COMPARE(int(autoView->shownKind()), int(ViewKind::Text));
        QCOMPARE(autoView->windowTitle(), displayPath("Auto View: " + *tmp_ / "files/a.txt"));
        QCOMPARE(autoView->infoText(), QStringLiteral(" A.TXT "));
        QCOMPARE(autoView->textView()->shownLines().value(1), QStringLiteral("second line"));

        QVERIFY(select("b.gif"));
        QTRY_COMPARE(int(autoView->shownKind()), int(ViewKind::Gif));
        QCOMPARE(autoView->infoText(), QStringLiteral(" B.GIF  3x2"));
        QVERIFY(autoView->gifView()->timerActive());
        QVERIFY(!autoView->textView()->isVisible());

        QVERIFY(select("c.jpeg"));  // a picture, not text, for all its four-letter extension
        QTRY_COMPARE(int(autoView->shownKind()), int(ViewKind::Jpeg));
        QCOMPARE(autoView->infoText(), QStringLiteral(" C.JPEG  7x5"));
        QVERIFY(!autoView->gifView()->isVisible());
        QVERIFY(!autoView->gifView()->timerActive());
        QVERIFY(messages_.isEmpty());

        // The list keeps the focus role: following the selection does not activate.
        QCOMPARE(frame->activeChild(), static_cast<ChildWindow*>(list));

        // File Viewer on the selection opens a viewer of its own beside the auto viewer.
        frame->actions().action(FrameAction::FileViewer)->trigger();
        auto* single = qobject_cast<Tmdiview*>(frame->activeChild());
        QVERIFY(single && single != autoView);
        single->waitForLoad();
        QCOMPARE(single->windowTitle(), displayPath(*tmp_ / "files/c.jpeg"));
        QCOMPARE(int(single->shownKind()), int(ViewKind::Jpeg));
        autoView->close();
        QTRY_VERIFY(!frame->state().autoViewerOn);
    }

    void textViewerWrapColouringAndCopy() {
        {
            config::IniFile ini(cfg());
            config::setFlag(ini, config::keys::Wrap, true);  // starts unwrapped
        }
        std::string text;
        for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + " <tag attr=\"x\"> text\r\n";
        auto path = tmp_->writeFile("page.html", text);
        auto frame = makeFrame();
        Tmdiview* v = openFileViewer(*frame, path);
        QVERIFY(v);
        v->waitForLoad();
        QCOMPARE(int(v->shownKind()), int(ViewKind::Text));
        QCOMPARE(v->windowTitle(), displayPath(path));
        TPlusMemo* memo = v->textView();
        QVERIFY(!memo->wordWrap());
        v->Wordwrap1Click();
        QVERIFY(memo->wordWrap());

        // Blue HTML off keeps the first visible line and is remembered as "no".
        memo->setTopLine(120, 0);
        v->BlueHTML1Click();
        QCOMPARE(memo->TopLine().paragraph, int64_t(120));
        QVERIFY(!memo->applyStartStopKeys());
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "blue", "?"), std::string("no"));
        v->BlueHTML1Click();
        QCOMPARE(memo->TopLine().paragraph, int64_t(120));
        QCOMPARE(config::IniFile(cfg()).readString("Quenby", "blue", "?"), std::string(""));

        // Copy: nothing selected leaves the clipboard alone; a selection goes as text.
        QApplication::clipboard()->setText(QStringLiteral("untouched"));
        v->Copy1Click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("untouched"));
        memo->setSelection({2, 5}, {1, 0});
        v->Copy1Click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("line 1 <tag attr=\"x\"> text\nline "));

        emit v->popupMenu()->aboutToShow();
        QStringList shown;
        for (QAction* a : v->popupMenu()->actions())
            if (a->isVisible() && !a->isSeparator()) shown << a->text();
        QCOMPARE(shown, (QStringList{"Copy", "Wordwrap", "Blue HTML", "Cancel"}));

        // A FIFO named like a text file is refused, never opened for reading.
        std::string fifo = *tmp_ / "pipe.txt";
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        QVERIFY(!openFileViewer(*frame, fifo));
    }

    void mouseSelectsTextAndDoubleClickSelectsAWord() {
        TPlusMemo memo;
        memo.resize(400, 200);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.loadBytes("alpha beta\r\ngamma\tdelta, end");
        QWidget* vp = memo.viewport();
        const qreal cw = QFontMetricsF(memo.font()).horizontalAdvance(QLatin1Char('M'));
        const int lh = memo.fontMetrics().lineSpacing();
        auto at = [&](int column, int line) { return QPoint(int(5 + column * cw + 1), line * lh + lh / 2); };
        QTest::mousePress(vp, Qt::LeftButton, {}, at(6, 0));
        QMouseEvent move(QEvent::MouseMove, at(3, 1), vp->mapToGlobal(at(3, 1)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, at(3, 1));
        QCOMPARE(memo.SelText(), QStringLiteral("beta\ngam"));
        // After the tab (columns 5 to 8) "delta" starts at column 8.
        QTest::mouseDClick(vp, Qt::LeftButton, {}, at(10, 1));
        QCOMPARE(memo.SelText(), QStringLiteral("delta"));
    }

    void gifPlaysAtTheChosenSpeed() {
        auto path = tmp_->writeFile("anim.gif", twoFrameGif(10));
        auto frame = makeFrame();
        Tmdiview* v = openFileViewer(*frame, path);
        QVERIFY(v);
        v->waitForLoad();
        TGIFImage* gif = v->gifView();
        QCOMPARE(gif->speed(), 50);  // "gifspeed" missing: 50, every delay doubled
        QVERIFY(gif->timerActive());
        QCOMPARE(gif->timerInterval(), 200);
        QSignalSpy changes(gif, &TGIFImage::changed);
        QTRY_VERIFY_WITH_TIMEOUT(changes.count() >= 2, 3000);
        QVERIFY(gif->currentImage().pixel(0, 0) == qRgb(255, 0, 0) ||
                gif->currentImage().pixel(0, 0) == qRgb(0, 0, 255));

        v->applySpeedAnswer(QStringLiteral("fast"));
        QCOMPARE(messages_, QStringList{"'fast' is not a valid integer value"});
        QCOMPARE(gif->speed(), 50);
        v->applySpeedAnswer(QStringLiteral("200"));
        QCOMPARE(gif->timerInterval(), 50);
        QCOMPARE(config::IniFile(cfg()).readInteger("Quenby", "gifspeed", 0), int64_t(200));

        emit v->popupMenu()->aboutToShow();
        QStringList shown;
        for (QAction* a : v->popupMenu()->actions())
            if (a->isVisible() && !a->isSeparator()) shown << a->text();
        QCOMPARE(shown, (QStringList{"Speed...", "Cancel"}));
    }

    // A big picture decodes on a worker: the window keeps answering, says it is
    // loading, and a newer file replaces the one still decoding.
    void bigPicturesDecodeWithoutHoldingUpTheWindow() {
        const std::string big = tmp_->writeFile("big.jpg", encodeJpeg(4000, 3000));
        const std::string text = tmp_->writeFile("after.txt", "after\n");
        auto frame = makeFrame();
        arbel::test::StallWatch watch;
        Tmdiview* v = openFileViewer(*frame, big);
        QVERIFY(v);
        QVERIFY(v->loading());
        QCOMPARE(v->infoText(), Tmdiview::loadingText());
        QTRY_VERIFY_WITH_TIMEOUT(!v->loading(), 20000);
        QCOMPARE(int(v->shownKind()), int(ViewKind::Jpeg));
        QCOMPARE(v->infoText(), QStringLiteral(" BIG.JPG  4000x3000"));
        qInfo("12-megapixel JPEG in the viewer: longest stall %lld ms", watch.longest());
        QVERIFY2(watch.longest() < arbel::test::kLongestStallMs, QByteArray::number(watch.longest()));

        frame->state().viewerFile = big;
        v->viewit();
        QVERIFY(v->loading());
        frame->state().viewerFile = text;
        v->viewit();  // the selection moved on before the picture was ready
        QTRY_VERIFY_WITH_TIMEOUT(!v->loading(), 20000);
        QTest::qWait(200);
        QCOMPARE(int(v->shownKind()), int(ViewKind::Text));
        QCOMPARE(v->windowTitle(), displayPath(text));
        QVERIFY(!v->jpegView()->isVisible());
        QVERIFY(messages_.isEmpty());
    }

    void unshowableFilesGiveAMessageAndHideEveryView() {
        auto frame = makeFrame();
        std::string jpeg = encodeJpeg(8, 8);
        auto broken = tmp_->writeFile("broken.jpg", jpeg.substr(0, 20));
        auto badGif = tmp_->writeFile("cut.gif", twoFrameGif(5).substr(0, 40));
        auto emf = tmp_->writeFile("drawing.emf", std::string(64, '\0'));
        QImage bmp(4, 3, QImage::Format_RGB32);
        bmp.fill(Qt::red);
        QVERIFY(bmp.save(QString::fromStdString(*tmp_ / "pic.bmp"), "BMP"));

        Tmdiview* v = openFileViewer(*frame, *tmp_ / "pic.bmp");
        QVERIFY(v);
        v->waitForLoad();
        QCOMPARE(int(v->shownKind()), int(ViewKind::Bitmap));
        QCOMPARE(v->infoText(), QStringLiteral(" PIC.BMP  4x3"));
        QVERIFY(v->pictureView()->isVisible());

        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::blue);
        QVERIFY(icon.save(QString::fromStdString(*tmp_ / "app.ico"), "ICO"));
        frame->state().viewerFile = *tmp_ / "app.ico";
        v->viewit();
        v->waitForLoad();
        QCOMPARE(int(v->shownKind()), int(ViewKind::Icon));
        QCOMPARE(v->infoText(), QStringLiteral(" APP.ICO  16x16"));

        for (const std::string& path : {broken, badGif, emf}) {
            messages_.clear();
            frame->state().viewerFile = path;
            v->viewit();
            v->waitForLoad();
            QCOMPARE(int(v->shownKind()), int(ViewKind::None));
            QCOMPARE(messages_.size(), 1);
            QVERIFY2(messages_.front().contains(displayPath(path)), qPrintable(messages_.front()));
            QVERIFY(!v->pictureView()->isVisible());
            QVERIFY(!v->gifView()->isVisible());
            QVERIFY(!v->textView()->isVisible());
        }
    }
};

QTEST_MAIN(ViewerTest)
#include "mdiview_test.moc"

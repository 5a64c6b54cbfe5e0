// Window > Print of a viewer, printed to PDF files on the offscreen platform and
// read back with the poppler tools: pages, the "FILENAME: " header on each page,
// the selection alone, and a picture scaled without distortion.
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <memory>

#include "support/temp_dir.h"
#include "ui/app/message_box.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/viewer/mdiview.h"
#include "ui/viewer/plus_memo.h"
#include "ui/viewer/viewer_print.h"

using namespace arbel;
using namespace arbel::ui;

class ViewerPrintTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<arbel::test::TempDir> tmp_;
    std::unique_ptr<Tmdimain> frame_;
    QString pdf_;
    int dialogs_ = 0;

    // Output of a poppler tool, or a skip when it is missing.
    QString run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0) return QString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    Tmdiview* view(const std::string& path) {
        Tmdiview* v = openFileViewer(*frame_, path);
        if (v) v->waitForLoad();
        if (v) frame_->activateChild(v);
        return v;
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils, installed by scripts/setup.sh) is missing");
    }
    void init() {
        tmp_ = std::make_unique<arbel::test::TempDir>();
        pdf_ = QString::fromStdString(*tmp_ / "out.pdf");
        dialogs_ = 0;
        printHooks().choosePrinter = [this](QPrinter& printer, QWidget*) {
            ++dialogs_;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf_);
            return true;
        };
        setMessageInterceptor([](const MessageRequest&) { return QMessageBox::Ok; });
        frame_ = std::make_unique<Tmdimain>(FrameOptions{*tmp_ / "Arbelwin.cfg", false});
        frame_->show();
        QTRY_VERIFY(!frame_->startupPending());
    }
    void cleanup() {
        printHooks().choosePrinter = {};
        setMessageInterceptor({});
        frame_->state().viewerMode = app::ViewerMode::Closing;
        frame_.reset();
        tmp_.reset();
    }

    void wholeTextIsPagedWithTheHeaderOnEveryPage() {
        std::string text;
        for (int i = 1; i <= 300; ++i) text += "line " + std::to_string(i) + "\r\n";
        const std::string file = tmp_->writeFile("long.txt", text);
        Tmdiview* v = view(file);
        QVERIFY(v);
        frame_->Window1Click();
        QVERIFY(frame_->actions().action(FrameAction::SaveToFileMenu)->isEnabled());
        QVERIFY(!frame_->actions().action(FrameAction::SaveSelected)->isEnabled());  // nothing selected
        frame_->actions().action(FrameAction::SaveEntire)->trigger();
        QCOMPARE(dialogs_, 1);

        const QString info = run("pdfinfo", {pdf_});
        QVERIFY2(info.contains("Title:") && info.contains("Arbel"), qPrintable(info));
        const QString out = run("pdftotext", {"-layout", pdf_, "-"});
        const int pages = int(out.count(QLatin1Char('\f')));
        QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
        QCOMPARE(int(out.count("FILENAME: " + QString::fromStdString(file))), pages);
        // Every line printed once, in order, none lost at a page break.
        int at = 0;
        for (int i = 1; i <= 300; ++i) {
            const QString needle = QString("line %1\n").arg(i);
            const int found = int(out.indexOf(needle, at));
            QVERIFY2(found >= 0, qPrintable(needle));
            at = found + int(needle.size());
        }
    }

    void selectedTextAlone() {
        std::string text;
        for (int i = 1; i <= 100; ++i) text += "row " + std::to_string(i) + "\n";
        Tmdiview* v = view(tmp_->writeFile("rows.txt", text));
        QVERIFY(v);
        v->textView()->setSelection({1, 0}, {3, 0});  // rows 2 and 3
        frame_->Window1Click();
        QVERIFY(frame_->actions().action(FrameAction::SaveSelected)->isEnabled());
        frame_->actions().action(FrameAction::SaveSelected)->trigger();
        const QString out = run("pdftotext", {pdf_, "-"});
        QCOMPARE(int(out.count(QLatin1Char('\f'))), 1);
        QVERIFY(out.contains("FILENAME: "));
        QVERIFY(out.contains("row 2") && out.contains("row 3"));
        QVERIFY(!out.contains("row 1\n") && !out.contains("row 4"));
    }

    // A picture twice as wide as high stays so, at the screen's size.
    void pictureKeepsItsAspectRatio() {
        if (QStandardPaths::findExecutable("pdfimages").isEmpty()) QSKIP("pdfimages is missing");
        QImage img(192, 96, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        const std::string file = *tmp_ / "wide.bmp";
        QVERIFY(img.save(QString::fromStdString(file), "BMP"));
        Tmdiview* v = view(file);
        QVERIFY(v);
        QVERIFY(viewerPrintable(*v));
        frame_->actions().action(FrameAction::SaveEntire)->trigger();
        QCOMPARE(dialogs_, 1);
        // "page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio"
        const QStringList rows = run("pdfimages", {"-list", pdf_}).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(rows.size() >= 3, qPrintable(rows.join('\n')));
        const QStringList f = rows[2].simplified().split(' ');
        QCOMPARE(f[3], QString("192"));
        QCOMPARE(f[4], QString("96"));
        const int xppi = f[12].toInt(), yppi = f[13].toInt();
        QCOMPARE(xppi, yppi);
        const qreal screen = v->screen()->logicalDotsPerInchX();
        QVERIFY2(qAbs(xppi - screen) <= 1, qPrintable(QString("%1 vs %2").arg(xppi).arg(screen)));
    }

    void cancelledDialogPrintsNothing() {
        printHooks().choosePrinter = [this](QPrinter&, QWidget*) { return ++dialogs_, false; };
        Tmdiview* v = view(tmp_->writeFile("short.txt", "one line"));
        QVERIFY(v);
        frame_->actions().action(FrameAction::SaveEntire)->trigger();
        QCOMPARE(dialogs_, 1);
        QVERIFY(!arbel::test::exists(pdf_.toStdString()));
    }
};

QTEST_MAIN(ViewerPrintTest)
#include "viewer_print_test.moc"

#include "ui/viewer/viewer_print.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextLayout>

#include "core/viewer/text_document.h"
#include "ui/app/scope_guards.h"
#include "ui/viewer/mdiview.h"
#include "ui/viewer/plus_memo.h"

namespace arbel::ui {

PrintHooks& printHooks() {
    static PrintHooks hooks;
    return hooks;
}

namespace {

bool choosePrinter(QPrinter& printer, QWidget* parent) {
    if (printHooks().choosePrinter) return printHooks().choosePrinter(printer, parent);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print"));
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

// Every paragraph of the document, read to its end.
QStringList allParagraphs(viewer::TextDocument& doc) {
    while (!doc.indexComplete() && doc.indexMore(8u << 20)) {
    }
    QStringList out;
    out.reserve(int(doc.knownParagraphs()));
    for (int64_t i = 0; i < doc.knownParagraphs(); ++i) {
        const std::u16string& p = doc.paragraph(i);
        out << QString::fromUtf16(p.data(), qsizetype(p.size()));
    }
    return out;
}

QImage shownImage(const QLabel* label) {
    if (!label || !label->isVisibleTo(label->parentWidget())) return {};
    const QPixmap pm = label->pixmap();
    return pm.isNull() ? QImage() : pm.toImage();
}

}  // namespace

int printText(QPrinter& printer, const QString& caption, const QStringList& paragraphs, const QFont& font) {
    printer.setDocName(QString::fromLatin1(kPrintJobTitle));
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const qreal dpiX = printer.logicalDpiX(), dpiY = printer.logicalDpiY();
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const qreal left = dpiX, top = dpiY / 2, bottom = page.height() - dpiY;
    const qreal width = std::max<qreal>(page.width() - 2 * dpiX, dpiX);
    QFont printFont(font, &printer);
    painter.setFont(printFont);
    const QFontMetricsF metrics(printFont, &printer);
    const qreal lineHeight = metrics.lineSpacing();

    int pages = 1;
    qreal y = top;
    auto drawLine = [&](const QTextLine& line) {
        line.draw(&painter, QPointF(left, y - line.y()));
        y += lineHeight;
    };
    auto header = [&] {
        painter.drawText(QPointF(left, y + metrics.ascent()), QStringLiteral("FILENAME: ") + caption);
        y += lineHeight;
    };
    header();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, printFont, &printer);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(width);
        layout.endLayout();
        const int lines = std::max(layout.lineCount(), 1);
        for (int i = 0; i < lines; ++i) {
            if (y + lineHeight > bottom) {
                printer.newPage();
                ++pages;
                y = top;
                header();
            }
            if (layout.lineCount() > 0) {
                drawLine(layout.lineAt(i));
            } else {
                y += lineHeight;  // an empty paragraph is an empty line
            }
        }
    }
    painter.end();
    return pages;
}

bool printPicture(QPrinter& printer, const QImage& image, qreal screenDpiX, qreal screenDpiY) {
    if (image.isNull() || screenDpiX <= 0 || screenDpiY <= 0) return false;
    printer.setDocName(QString::fromLatin1(kPrintJobTitle));
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    QSizeF size(image.width() * printer.logicalDpiX() / screenDpiX,
                image.height() * printer.logicalDpiY() / screenDpiY);
    if (size.width() > page.width() || size.height() > page.height())
        size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), size), image);
    painter.end();
    return true;
}

bool viewerPrintable(const Tmdiview& viewer) {
    const TPlusMemo* text = viewer.textView();
    return (text && text->isVisibleTo(&viewer) && text->hasDocument()) ||
           !shownImage(viewer.jpegView()).isNull() || !shownImage(viewer.pictureView()).isNull();
}

bool viewerHasSelectedText(const Tmdiview& viewer) {
    const TPlusMemo* text = viewer.textView();
    return text && text->isVisibleTo(&viewer) && text->hasSelection();
}

void printViewer(Tmdiview& viewer, bool selectedOnly) {
    if (selectedOnly ? !viewerHasSelectedText(viewer) : !viewerPrintable(viewer)) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromLatin1(kPrintJobTitle));
    if (!choosePrinter(printer, &viewer)) return;
    WaitCursor wait;
    TPlusMemo* text = viewer.textView();
    const QString caption = viewer.windowTitle();
    if (selectedOnly) {
        QString selected = text->SelText();
        selected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        printText(printer, caption, selected.split(QLatin1Char('\n')), text->font());
        return;
    }
    if (text->isVisibleTo(&viewer) && text->document())
        printText(printer, caption, allParagraphs(*text->document()), text->font());
    const QScreen* screen = viewer.screen() ? viewer.screen() : QGuiApplication::primaryScreen();
    const qreal sx = screen ? screen->logicalDotsPerInchX() : 96,
                sy = screen ? screen->logicalDotsPerInchY() : 96;
    for (const QLabel* picture : {viewer.jpegView(), viewer.pictureView()}) {
        const QImage image = shownImage(picture);
        if (!image.isNull()) printPicture(printer, image, sx, sy);
    }
}

}  // namespace arbel::ui

#pragma once
// Window > Print for a viewer: its text (all of it or the selection) or its
// picture, through a print dialog, which also offers printing to a PDF file
// (a Linux desktop often has no default printer to send a job to blindly).

#include <QFont>
#include <QImage>
#include <QStringList>
#include <functional>

class QPrinter;
class QWidget;

namespace arbel::ui {

class Tmdiview;

// Replaces the print dialog in tests: set up the printer (a PDF file) and
// return true to print, false to cancel.
struct PrintHooks {
    std::function<bool(QPrinter& printer, QWidget* parent)> choosePrinter;
};
PrintHooks& printHooks();

// The title of every print job.
inline constexpr const char* kPrintJobTitle = "Arbel";

// Printit: the paragraphs in `font`, wrapped to the printable width less an
// inch on either side, between half an inch at the top and an inch at the
// bottom; every page begins with "FILENAME: " + caption. Returns the pages
// printed (0 when the printer could not start).
int printText(QPrinter& printer, const QString& caption, const QStringList& paragraphs, const QFont& font);

// One picture, scaled from screen to printer resolution keeping its aspect
// ratio (and shrunk to fit the page when larger), at the page's top left.
bool printPicture(QPrinter& printer, const QImage& image, qreal screenDpiX, qreal screenDpiY);

// Print1Click for the viewer: the whole text and the pictures shown (entire),
// or the selected text (selected). Asks for the printer first.
void printViewer(Tmdiview& viewer, bool selectedOnly);

// Whether the viewer has anything to print, and a selection to print.
bool viewerPrintable(const Tmdiview& viewer);
bool viewerHasSelectedText(const Tmdiview& viewer);

}  // namespace arbel::ui

#pragma once
// Tmdiview: the viewer child window. It shows one file as a picture (bitmap and
// icon through Qt's readers, GIF animated, JPEG through libjpeg) or as read-only
// text, with an information line. One viewer can be the auto viewer ("Auto View: "),
// which the file windows reload through viewit() as their selection moves.

#include <QPointer>
#include <functional>
#include <string>

#include "core/viewer/view_mode.h"
#include "ui/app/background_job.h"
#include "ui/app/child_window.h"

class QAction;
class QLabel;
class QMenu;
class QScrollArea;

namespace arbel::ui {

class TGIFImage;
class TPlusMemo;
struct ViewerLoad;

class Tmdiview : public ChildWindow {
    Q_OBJECT
public:
    // Shows state().viewerFile; the auto viewer when `autoViewer`.
    Tmdiview(Tmdimain& frame, bool autoViewer);
    ~Tmdiview() override;

    // Loads state().viewerFile (empty: the auto viewer shows nothing) and clears it.
    // Reading and decoding run on a worker ("loading…" meanwhile); a newer file
    // replaces an older one still loading, whose result is thrown away.
    void viewit();

    // What is shown (None after a failure or an empty auto view).
    viewer::ViewKind shownKind() const { return shown_; }
    bool loading() const { return loader_.running(); }
    // Waits for the file being loaded and shows it (tests).
    void waitForLoad() { loader_.wait(); }
    static QString loadingText();
    QString infoText() const;
    TPlusMemo* textView() const { return richedit1; }
    TGIFImage* gifView() const { return GIFImage1; }
    QLabel* pictureView() const { return Image1; }
    QLabel* jpegView() const { return JPEGImage1; }
    QMenu* popupMenu() const { return PopupMenu1; }

    // Event handlers.
    void Copy1Click();
    void Wordwrap1Click();
    void BlueHTML1Click();
    void Speed1Click();
    void PopupMenu1Popup();
    // The speed box's answer applied (Speed1Click asks, then calls this).
    void applySpeedAnswer(const QString& answer);

    QWidget* mainControl() const override;

private:
    void showPicture(const QImage& image, QLabel* target);
    void fail(const std::string& path, const Error& error);
    void showLoaded(const std::string& path, ViewerLoad& loaded);
    void resetViews();
    void popupAt(QPoint globalPos);

    QLabel* viewpan = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr;
    TGIFImage* GIFImage1 = nullptr;
    QLabel* JPEGImage1 = nullptr;
    TPlusMemo* richedit1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Speed1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Wordwrap1 = nullptr;
    QAction* BlueHTML1 = nullptr;
    QAction* Normal1 = nullptr;
    QAction* Hex1 = nullptr;
    viewer::ViewKind shown_ = viewer::ViewKind::None;
    BackgroundJob loader_;  // last: it goes first, before the views its end would fill
};

// Opens a viewer window on one file (File Viewer, a double click): ViewerFile and
// ViewerMode are set around the creation. Nothing when path is not a regular file.
// Whether it is one is asked off the interface thread: the viewer is returned when
// the answer comes at once; a later answer opens it then and hands it to `opened`
// (which also gets a viewer opened at once); a file that does not answer in time
// is reported and nothing opens.
Tmdiview* openFileViewer(Tmdimain& frame, const std::string& path,
                         std::function<void(Tmdiview*)> opened = {});
// Auto File Viewer: creates the auto viewer showing path (may be empty), or brings
// the existing one to the front and shows path in it.
Tmdiview* openAutoViewer(Tmdimain& frame, const std::string& path);
// A file window's selection moved to `path`: when the auto viewer exists and path
// is an existing regular file, the auto viewer shows it (without taking the focus).
// Asked off the interface thread; a newer selection wins over an older one still
// being asked about, and a file that does not answer in time is not followed.
void autoViewerFollow(Tmdimain& frame, const std::string& path);

}  // namespace arbel::ui

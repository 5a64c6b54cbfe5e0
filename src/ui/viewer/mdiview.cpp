#include "ui/viewer/mdiview.h"

#include <QContextMenuEvent>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cstdint>
#include <memory>

#include "core/app/file_system.h"
#include "core/commands/gates.h"
#include "core/config/settings.h"
#include "core/viewer/viewer_rules.h"
#include "ui/app/bounded_task.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/viewer/gif_image.h"
#include "ui/viewer/plus_memo.h"
#include "ui/viewer/viewer_load.h"

namespace arbel::ui {

using viewer::ViewKind;

namespace {

const QString kSpeedTitle = QStringLiteral("Gif Animation Speed");
const QString kSpeedPrompt = QStringLiteral("Type a new number value");

QString sizeText(int w, int h) {
    return QStringLiteral("%1x%2").arg(w).arg(h);
}

}  // namespace

Tmdiview::Tmdiview(Tmdimain& frame, bool autoViewer) : ChildWindow(frame, app::ActiveKind::Viewer) {
    // The load holds only its path and its result: one stuck on a dead mount is left.
    loader_.allowGivingUp();
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    viewpan = new QLabel(body);
    viewpan->setFrameShape(QFrame::StyledPanel);
    viewpan->setTextFormat(Qt::PlainText);
    layout->addWidget(viewpan);

    ScrollBox1 = new QScrollArea(body);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setBackgroundRole(QPalette::Base);
    auto* pictures = new QWidget;
    auto* pl = new QVBoxLayout(pictures);
    pl->setContentsMargins(0, 0, 0, 0);
    Image1 = new QLabel(pictures);
    GIFImage1 = new TGIFImage(pictures);
    GIFImage1->setAutoSize(true);
    GIFImage1->setLoop(true);
    JPEGImage1 = new QLabel(pictures);
    for (QWidget* w :
         {static_cast<QWidget*>(Image1), static_cast<QWidget*>(GIFImage1), static_cast<QWidget*>(JPEGImage1)})
        pl->addWidget(w, 0, Qt::AlignLeft | Qt::AlignTop);
    pl->addStretch(1);
    ScrollBox1->setWidget(pictures);
    ScrollBox1->setWidgetResizable(true);
    layout->addWidget(ScrollBox1, 1);

    richedit1 = new TPlusMemo(body);
    richedit1->AddStartStopKey(QStringLiteral("<"), QStringLiteral(">"), QColor(Qt::blue));
    layout->addWidget(richedit1, 1);
    setWidget(body);

    PopupMenu1 = new QMenu(this);
    Speed1 = PopupMenu1->addAction(QStringLiteral("Speed..."), this, &Tmdiview::Speed1Click);
    Copy1 = PopupMenu1->addAction(QStringLiteral("Copy"), this, &Tmdiview::Copy1Click);
    N1 = PopupMenu1->addSeparator();
    Wordwrap1 = PopupMenu1->addAction(QStringLiteral("Wordwrap"), this, &Tmdiview::Wordwrap1Click);
    Wordwrap1->setCheckable(true);
    Wordwrap1->setChecked(true);
    BlueHTML1 = PopupMenu1->addAction(QStringLiteral("Blue HTML"), this, &Tmdiview::BlueHTML1Click);
    BlueHTML1->setCheckable(true);
    BlueHTML1->setChecked(true);
    Normal1 = PopupMenu1->addAction(QStringLiteral("Normal"));
    Hex1 = PopupMenu1->addAction(QStringLiteral("Hexadecimal"));
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("Cancel"));
    for (QAction* a : {Speed1, Copy1, N1, Normal1, Hex1}) a->setVisible(false);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &Tmdiview::PopupMenu1Popup);

    for (QWidget* w : {static_cast<QWidget*>(richedit1), static_cast<QWidget*>(ScrollBox1),
                       static_cast<QWidget*>(viewpan)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](QPoint pos) { popupAt(w->mapToGlobal(pos)); });
    }
    auto activate = [this] { this->frame().activateChild(this); };
    connect(richedit1, &TPlusMemo::pressed, this, activate);
    connect(GIFImage1, &TGIFImage::pressed, this, activate);

    // Colouring from "blue" (empty: on); "wrap" set starts unwrapped.
    const config::IniFile& ini = frame.config();
    const bool blue = !config::getFlag(ini, config::keys::Blue);
    BlueHTML1->setChecked(blue);
    richedit1->setApplyStartStopKeys(blue);
    if (config::getFlag(ini, config::keys::Wrap)) Wordwrap1Click();

    setAutoViewer(autoViewer);
    if (autoViewer) setWindowIcon(QIcon::fromTheme(QStringLiteral("image-x-generic")));
    frame.state().viewerMode = app::ViewerMode::None;
    resetViews();
    viewit();
    finishCreation();
}

Tmdiview::~Tmdiview() = default;

QWidget* Tmdiview::mainControl() const {
    return shown_ == ViewKind::Text ? static_cast<QWidget*>(richedit1) : static_cast<QWidget*>(ScrollBox1);
}

QString Tmdiview::infoText() const {
    return viewpan->text();
}

void Tmdiview::resetViews() {
    viewpan->clear();
    GIFImage1->setAnimate(false);
    GIFImage1->clear();
    GIFImage1->hide();
    JPEGImage1->clear();
    JPEGImage1->hide();
    Image1->clear();
    Image1->hide();
    richedit1->clear();
    richedit1->hide();
    ScrollBox1->show();
    shown_ = ViewKind::None;
}

void Tmdiview::showPicture(const QImage& image, QLabel* target) {
    target->setPixmap(QPixmap::fromImage(image));
    target->resize(image.size());
    target->show();
}

void Tmdiview::fail(const std::string& path, const Error& error) {
    resetViews();
    viewpan->setText(displayPath(viewer::infoLine(path, {})));
    showMessage(this, displayPath(viewer::cannotShowMessage(path, error)), QMessageBox::Warning);
}

QString Tmdiview::loadingText() {
    return QStringLiteral("loading\u2026");
}

void Tmdiview::viewit() {
    app::AppState& st = frame().state();
    const std::string path = st.viewerFile;  // kept as it is: case matters here
    st.viewerFile.clear();
    setShownPath(path);
    loader_.abandon();  // a newer file: what the older one decodes is thrown away
    resetViews();
    if (path.empty()) return;  // the auto viewer with no file
    viewpan->setText(loadingText());
    auto loaded = std::make_shared<ViewerLoad>();
    loader_.start([path, loaded](JobContext&) { *loaded = loadForViewing(path); },
                  [this, path, loaded] { showLoaded(path, *loaded); });
}

void Tmdiview::showLoaded(const std::string& path, ViewerLoad& loaded) {
    if (loaded.error) return fail(path, *loaded.error);
    QString size;
    switch (loaded.kind) {
        case ViewKind::Bitmap:
        case ViewKind::Icon:
        case ViewKind::Metafile:
            showPicture(loaded.picture, Image1);
            size = sizeText(loaded.picture.width(), loaded.picture.height());
            break;
        case ViewKind::Gif:
            GIFImage1->setSpeed(int(config::get(frame().config(), config::keys::GifSpeed)));
            GIFImage1->setImage(path, std::move(loaded.gif));
            GIFImage1->show();
            GIFImage1->setAnimate(true);
            size = sizeText(GIFImage1->pictureWidth(), GIFImage1->pictureHeight());
            break;
        case ViewKind::Jpeg:
            showPicture(loaded.picture, JPEGImage1);
            size = sizeText(loaded.picture.width(), loaded.picture.height());
            break;
        case ViewKind::Text:
            richedit1->showDocument(std::move(loaded.text));
            ScrollBox1->hide();
            richedit1->show();
            break;
        case ViewKind::None:
            break;
    }
    shown_ = loaded.kind;
    viewpan->setText(displayPath(viewer::infoLine(path, size.toStdString())));
}

void Tmdiview::Copy1Click() {
    if (!richedit1->CopyToClipboard()) showMessage(this, richedit1->lastCopyError());
}

void Tmdiview::Wordwrap1Click() {
    const bool on = !richedit1->wordWrap();
    richedit1->setWordWrap(on);
    Wordwrap1->setChecked(on);
}

void Tmdiview::BlueHTML1Click() {
    const viewer::TextPos top = richedit1->TopLine();
    const int sub = richedit1->topSubLine();
    const bool on = !richedit1->applyStartStopKeys();
    BlueHTML1->setChecked(on);
    reportWriteErrors(this, [&] { config::setFlag(frame().config(), config::keys::Blue, !on); });
    richedit1->setApplyStartStopKeys(on);
    richedit1->ReApply();
    richedit1->setTopLine(top.paragraph, sub);
}

void Tmdiview::Speed1Click() {
    bool ok = false;
    const QString answer = QInputDialog::getText(this, kSpeedTitle, kSpeedPrompt, QLineEdit::Normal,
                                                 QString::number(GIFImage1->speed()), &ok);
    if (ok) applySpeedAnswer(answer);
}

void Tmdiview::applySpeedAnswer(const QString& answer) {
    auto speed = viewer::parseSpeed(answer.toStdString());
    if (!speed) {
        showMessage(this, QString::fromStdString(speed.error().message), QMessageBox::Critical);
        return;
    }
    GIFImage1->setSpeed(*speed);
    reportWriteErrors(this, [&] { config::set(frame().config(), config::keys::GifSpeed, *speed); });
}

void Tmdiview::PopupMenu1Popup() {
    auto change = viewer::popupFor(shown_, richedit1->hasSelection());
    if (!change.changed) return;
    Speed1->setVisible(change.items.speed);
    Copy1->setVisible(change.items.copy);
    Copy1->setEnabled(change.items.copyEnabled);
    Wordwrap1->setVisible(change.items.wordwrap);
    BlueHTML1->setVisible(change.items.blueHtml);
}

void Tmdiview::popupAt(QPoint globalPos) {
    frame().activateChild(this);
    PopupMenu1->popup(globalPos);
}

namespace {

Tmdiview* createFileViewer(Tmdimain& frame, const std::string& path, app::QuietActivation quiet) {
    app::AppState& st = frame.state();
    const app::QuietActivation was = st.quietActivation;
    st.quietActivation = quiet;
    st.viewerFile = path;
    st.viewerMode = app::ViewerMode::SingleFile;
    auto* v = new Tmdiview(frame, false);
    st.viewerMode = app::ViewerMode::None;
    st.quietActivation = was;
    return v;
}

// The auto viewer shows the last selection only: an older question answered late
// must not replace a newer file. Counted on the interface thread only.
std::uint64_t followRequests = 0;

}  // namespace

Tmdiview* openFileViewer(Tmdimain& frame, const std::string& path, std::function<void(Tmdiview*)> opened) {
    // Whether it is a file is asked where a dead mount cannot freeze the windows.
    // The usual answer comes at once and the viewer is returned; a late one opens
    // it then, as the caller had asked (activation included); none in time is told.
    struct Opening {
        bool returned = false;  // openFileViewer has returned: the answer came late
        Tmdiview* now = nullptr;
    };
    auto opening = std::make_shared<Opening>();
    const app::QuietActivation quiet = frame.state().quietActivation;
    QPointer<Tmdimain> self(&frame);
    runBounded<bool>(
        &frame, [path] { return isRegularFile(path); },
        [self, path, quiet, opening, opened = std::move(opened)](std::optional<bool> regular) {
            if (!self) return;
            if (!regular) {
                showMessage(self,
                            displayPath(path) + QString::fromUtf8(commands::kNotAnswering.data(),
                                                                  qsizetype(commands::kNotAnswering.size())),
                            QMessageBox::Warning);
                return;
            }
            if (!*regular) return;
            Tmdiview* v = createFileViewer(*self, path, quiet);
            if (!opening->returned) opening->now = v;
            if (opened) opened(v);
        });
    opening->returned = true;
    return opening->now;
}

Tmdiview* openAutoViewer(Tmdimain& frame, const std::string& path) {
    app::AppState& st = frame.state();
    if (auto* existing = qobject_cast<Tmdiview*>(frame.autoViewer())) {
        frame.activateChild(existing);
        st.viewerFile = path;
        existing->viewit();
        return existing;
    }
    st.autoViewerOn = true;
    st.viewerMode = app::ViewerMode::AutoViewer;
    const app::QuietActivation was = st.quietActivation;
    st.quietActivation = app::QuietActivation::Yes;
    if (st.activeKind == app::ActiveKind::Viewer) st.activeKind = app::ActiveKind::None;
    st.viewerFile = path;
    auto* v = new Tmdiview(frame, true);
    st.quietActivation = was;
    return v;
}

void autoViewerFollow(Tmdimain& frame, const std::string& path) {
    if (!frame.state().autoViewerOn || !frame.autoViewer()) return;
    const std::uint64_t request = ++followRequests;
    QPointer<Tmdimain> self(&frame);
    // A file that does not answer in time is not followed, as one that is not a file.
    runBounded<bool>(
        &frame, [path] { return isRegularFile(path); },
        [self, path, request](std::optional<bool> regular) {
            if (!self || request != followRequests || !regular.value_or(false)) return;
            if (!self->state().autoViewerOn) return;
            auto* viewer = qobject_cast<Tmdiview*>(self->autoViewer());
            if (!viewer) return;
            self->state().viewerFile = path;
            viewer->viewit();
        });
}

}  // namespace arbel::ui

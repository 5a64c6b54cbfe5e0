#include "ui/frame/mdimain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include <cstdio>

#include "core/app/placement.h"
#include "ui/app/child_window.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/frame_toolbar.h"
#include "ui/frame/help_window.h"
#include "ui/frame/view_panel.h"

namespace arbel::ui {

namespace {

Tmdimain* gFrame = nullptr;

const QColor kTeal(0, 128, 128);

std::string defaultConfigPath() {
    const QByteArray dir = QFile::encodeName(QCoreApplication::applicationDirPath());
    return config::configPath(std::string(dir.constData(), size_t(dir.size())));
}

}  // namespace

Tmdimain* Tmdimain::instance() {
    return gFrame;
}

Tmdimain::Tmdimain(FrameOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    gFrame = this;
    setObjectName(QStringLiteral("mdimain"));
    // A Linux desktop names windows after the program, not its platform.
    setWindowTitle(QStringLiteral("Arbel"));

    // Shared state: no child has been activated yet.
    state_.activeKind = app::ActiveKind::First;
    config_ = std::make_unique<config::IniFile>(options_.configPath.empty() ? defaultConfigPath()
                                                                            : options_.configPath);

    ScrollBox1 = new QMdiArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setBackground(kTeal);
    ScrollBox1->setActivationOrder(QMdiArea::CreationOrder);
    // Each child keeps its own maximised state: activating another window
    // neither maximises it nor restores the maximised one.
    ScrollBox1->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    setCentralWidget(ScrollBox1);
    connect(ScrollBox1, &QMdiArea::subWindowActivated, this, &Tmdimain::onSubWindowActivated);
    ScrollBox1->viewport()->installEventFilter(this);

    viewpan = new ViewPanel(this);
    ashpan = new FrameToolBar(*this, viewpan);
    addToolBar(Qt::TopToolBarArea, ashpan);
    actions_ = std::make_unique<FrameActions>(*this);
    // The tool bar is part of the frame, not something to hide.
    ashpan->toggleViewAction()->setVisible(false);

    statuspanel = new QLabel(this);
    statuspanel->setObjectName(QStringLiteral("statuspanel"));
    statusBar()->addWidget(statuspanel, 1);
    statusBar()->setSizeGripEnabled(true);

    Edit3 = new QLineEdit(this);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setGeometry(0, 0, 1, 1);
    Edit3->lower();

    // The view panel's controls, the menus' closing and the filter box with its
    // history (commands_support.cpp).
    wireCommandControls(*this);
    viewpan->showDisabledCopy();

    applyStartPlacement();

    Timer1.setSingleShot(true);
    Timer1.setInterval(0);
    connect(&Timer1, &QTimer::timeout, this, &Tmdimain::Timer1Timer);
    Timer1.start();
}

Tmdimain::~Tmdimain() {
    shuttingDown_ = true;
    state_.viewerMode = app::ViewerMode::Closing;
    // Children go while the registry and state they talk to still exist.
    for (QMdiSubWindow* w : ScrollBox1->subWindowList()) delete w;
    if (help_) delete help_;
    if (gFrame == this) gFrame = nullptr;
}

void Tmdimain::applyStartPlacement() {
    const auto rect = app::frameStartPlacement(*config_);
    if (!rect) {
        // Fill the screen first, so the frame covers it even where no window
        // manager carries out the maximised state.
        if (QScreen* s = screen()) setGeometry(s->availableGeometry());
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    // Wayland lets a client set its size but never its position.
    if (QGuiApplication::platformName() != QLatin1String("wayland")) move(int(rect->left), int(rect->top));
    resize(int(rect->width), int(rect->height));
}

void Tmdimain::setStatusText(const QString& text) {
    statuspanel->setText(text);
}

void Tmdimain::Timer1Timer() {
    Timer1.stop();
    state_.startupPhase = true;
    {
        FrozenUpdates frozen(ScrollBox1);
        if (options_.startupWindows) createStartupWindows();
        // The tree window becomes the active child.
        if (ChildWindow* tree = currentOf(app::ActiveKind::Dir)) {
            QPointer<ChildWindow> guard(tree);
            activateChild(tree);
        }
        findme();
        state_.startupPhase = false;
    }
    emit startupFinished();
    // A check of the start (the run script's test) asks for this: it ends the
    // program once the frame is shown with its first windows, and its exit
    // code says whether they are there.
    if (qEnvironmentVariableIsSet("ARBEL_QUIT_AFTER_START")) {
        QTimer::singleShot(0, this, [this] {
            const bool started = isVisible() && currentOf(app::ActiveKind::Dir) != nullptr;
            std::fprintf(stderr, "Arbel %s\n", started ? "started" : "did not start");
            QCoreApplication::exit(started ? 0 : 1);
        });
    }
}

// ---------------------------------------------------------------- registry glue

ChildWindow* Tmdimain::child(app::WindowId id) const {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : it->second.data();
}

QList<ChildWindow*> Tmdimain::children() const {
    QList<ChildWindow*> out;
    for (app::WindowId id : registry_.windowOrder())
        if (ChildWindow* w = child(id)) out.append(w);
    return out;
}

ChildWindow* Tmdimain::activeChild() const {
    const auto id = registry_.active();
    return id ? child(*id) : nullptr;
}

ChildWindow* Tmdimain::currentOf(app::ActiveKind kind) const {
    auto it = current_.find(kind);
    return it == current_.end() ? nullptr : it->second.data();
}

void Tmdimain::setCurrentOf(app::ActiveKind kind, ChildWindow* window) {
    current_[kind] = window;
}

ChildWindow* Tmdimain::autoViewer() const {
    for (ChildWindow* w : children())
        if (w->kind() == app::ActiveKind::Viewer && w->isAutoViewer()) return w;
    return nullptr;
}

void Tmdimain::childCreated(ChildWindow* window) {
    windows_[window->windowId()] = window;
    registry_.add({window->windowId(), window->kind(), window->shownPath(), window->isAutoViewer(),
                   window->captionText().toStdString()});
    if (window->kind() == app::ActiveKind::Auto) state_.autoWindowOpen = true;
    if (!currentOf(window->kind())) setCurrentOf(window->kind(), window);
    rebuildWindowMenu();
}

void Tmdimain::childClosed(ChildWindow* window) {
    window->registered_ = false;
    registry_.remove(window->windowId());
    windows_.erase(window->windowId());
    if (window->kind() == app::ActiveKind::Auto && registry_.ofKind(app::ActiveKind::Auto).empty())
        state_.autoWindowOpen = false;
    if (window->kind() == app::ActiveKind::Viewer && window->isAutoViewer()) state_.autoViewerOn = false;
    // The current window of the kind falls back to the kind's last activated one.
    if (currentOf(window->kind()) == window) {
        ChildWindow* fallback = nullptr;
        for (app::WindowId id : registry_.activationOrder())
            if (ChildWindow* w = child(id); w && w->kind() == window->kind()) fallback = w;
        setCurrentOf(window->kind(), fallback);
    }
    rebuildWindowMenu();
    if (shuttingDown_) return;
    // The window now last in the activation order becomes the active one, not
    // whatever the client area would pick by itself. The client area makes its own pick while the closing
    // window deactivates and hides; that pick is ignored (closingChild_) until the queued call below has put
    // the window now last in the activation order in front.
    closingChild_ = true;
    QPointer<ChildWindow> guard(activeChild());
    if (guard) activateChild(guard);
    QTimer::singleShot(0, this, [this, guard] {
        closingChild_ = false;
        if (guard && guard->registered_ && registry_.active() == guard->windowId()) activateChild(guard);
    });
}

void Tmdimain::childDestroyed(ChildWindow* window) {
    // Deleted without a close (the frame going away, or a subclass deleting
    // itself): leave the registry all the same.
    if (shuttingDown_) {
        window->registered_ = false;
        registry_.remove(window->windowId());
        windows_.erase(window->windowId());
        return;
    }
    childClosed(window);
}

void Tmdimain::activateChild(ChildWindow* window) {
    if (!window || !window->registered_) return;
    {
        const bool was = activating_;
        activating_ = true;
        // A window activated only to be refreshed is not brought to the front.
        if (state_.pendingUpdate == app::RefreshSignal::None && ScrollBox1->activeSubWindow() != window)
            ScrollBox1->setActiveSubWindow(window);
        activating_ = was;
    }
    window->ActivateForm();
}

void Tmdimain::onSubWindowActivated(QMdiSubWindow* sub) {
    if (activating_ || shuttingDown_) return;
    auto* window = qobject_cast<ChildWindow*>(sub);
    if (!window || !window->registered_) return;
    if (closingChild_) return;
    // A click on a child, or the area's own choice after a close.
    window->ActivateForm();
}

QList<ChildWindow*> Tmdimain::windowsShowingFolder(const std::string& folder) const {
    QList<ChildWindow*> out;
    for (app::WindowId id : registry_.showingFolder(folder))
        if (ChildWindow* w = child(id)) out.append(w);
    return out;
}

QList<ChildWindow*> Tmdimain::windowsAtOrBelow(const std::string& path) const {
    QList<ChildWindow*> out;
    for (app::WindowId id : registry_.atOrBelow(path))
        if (ChildWindow* w = child(id)) out.append(w);
    return out;
}

void Tmdimain::cappything(const std::string& folder) {
    const QList<ChildWindow*> targets = windowsShowingFolder(folder);
    if (targets.isEmpty()) return;
    FrozenUpdates frozen(ScrollBox1);
    for (ChildWindow* w : targets) {
        QPointer<ChildWindow> guard(w);
        app::ScopedRefreshSignal signal(state_, app::RefreshSignal::DelUpdate);
        if (guard) guard->refreshWindow(app::RefreshSignal::DelUpdate, folder);
    }
}

void Tmdimain::rebuildWindowMenu() {
    if (!actions_) return;
    QMenu* menu = actions_->menu(FrameMenu::Window);
    for (QAction* a : windowEntries_) {
        menu->removeAction(a);
        a->deleteLater();
    }
    windowEntries_.clear();
    for (const app::WindowMenuEntry& e : registry_.menuEntries()) {
        auto* a = new QAction(QString::fromStdString(e.label), menu);
        a->setCheckable(true);
        a->setChecked(e.checked);
        const app::WindowId id = e.id;
        connect(a, &QAction::triggered, this, [this, id] {
            if (ChildWindow* w = child(id)) activateChild(w);
        });
        menu->insertAction(actions_->windowListEnd(), a);
        windowEntries_.append(a);
    }
    // The separators frame the list only when there is one.
    actions_->windowListStart()->setVisible(!windowEntries_.isEmpty());
}

// ---------------------------------------------------------------- focus and dialogs

void Tmdimain::findme() {
    if (state_.fromSearch) {
        if (searchResults_) {
            searchResults_->setFocus();
            return;
        }
        if (auto it = dialogs_.find(app::DialogTag::FindForm);
            it != dialogs_.end() && it->second.focusTarget) {
            it->second.focusTarget->setFocus();
            return;
        }
    }
    ChildWindow* w = nullptr;
    switch (state_.activeKind) {
        case app::ActiveKind::Auto:
        case app::ActiveKind::List:
            w = currentOf(state_.activeKind);
            onem();
            break;
        case app::ActiveKind::Dir:
            w = currentOf(app::ActiveKind::Dir);
            dimem();
            break;
        default:
            break;
    }
    if (w) {
        if (QWidget* control = w->mainControl()) {
            control->setFocus();
            return;
        }
    }
    Edit3->setFocus();
}

void Tmdimain::finddlog() {
    auto it = dialogs_.find(state_.activeDialog);
    if (it == dialogs_.end()) return;
    if (QWidget* target = it->second.focusTarget ? it->second.focusTarget.data() : it->second.dialog.data()) {
        target->activateWindow();
        target->setFocus();
    }
}

void Tmdimain::dlgback() {
    if (state_.fromSearch) {
        if (QWidget* search = openDialog(app::DialogTag::FindForm)) search->activateWindow();
    } else if (ChildWindow* w = currentOf(state_.activeKind)) {
        activateWindow();
        activateChild(w);
    }
    findme();
}

void Tmdimain::dialogOpened(app::DialogTag tag, QWidget* dialog, QWidget* focusTarget) {
    dialogs_[tag] = {dialog, focusTarget};
    state_.activeDialog = tag;
    if (tag == app::DialogTag::FindForm) state_.fromSearch = true;
}

void Tmdimain::setDialogFocusTarget(app::DialogTag tag, QWidget* focusTarget) {
    if (auto it = dialogs_.find(tag); it != dialogs_.end()) it->second.focusTarget = focusTarget;
}

void Tmdimain::dialogClosed(app::DialogTag tag) {
    dialogs_.erase(tag);
    if (tag == app::DialogTag::FindForm) state_.fromSearch = false;
    const bool searchOpen =
        dialogs_.count(app::DialogTag::FindForm) && dialogs_[app::DialogTag::FindForm].dialog;
    state_.activeDialog = searchOpen ? app::DialogTag::FindForm : app::DialogTag::None;
    if (!shuttingDown_) dlgback();
}

QWidget* Tmdimain::openDialog(app::DialogTag tag) const {
    auto it = dialogs_.find(tag);
    return it == dialogs_.end() ? nullptr : it->second.dialog.data();
}

void Tmdimain::dimem() {
    viewpan->showDisabledCopy();
}
void Tmdimain::onem() {
    viewpan->showLiveControls();
}

HelpWindow* Tmdimain::helpWindow() {
    if (!help_) help_ = new HelpWindow(this);
    return help_;
}

bool Tmdimain::eventFilter(QObject* watched, QEvent* event) {
    // A click on the empty client area closes an open delete dialog.
    if (watched == ScrollBox1->viewport() && event->type() == QEvent::MouseButtonPress)
        if (QWidget* deleter = openDialog(app::DialogTag::Delete)) deleter->close();
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- closing

void Tmdimain::closeEvent(QCloseEvent* event) {
    // FormCloseQuery: refused while a modeless dialog is open.
    if (state_.activeDialog != app::DialogTag::None) {
        event->ignore();
        showMessage(this, QStringLiteral("You must close all dialogs before exiting."));
        return;
    }
    // Only an accepted close tells the children to skip their close-time work;
    // a refused one must leave them working normally.
    state_.viewerMode = app::ViewerMode::Closing;
    if (help_) help_->close();
    event->accept();
}

}  // namespace arbel::ui

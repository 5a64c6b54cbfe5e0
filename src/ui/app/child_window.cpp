#include "ui/app/child_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMdiArea>
#include <QMenu>
#include <QStyle>

#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"

namespace arbel::ui {

namespace {

app::WindowId nextWindowId() {
    static app::WindowId next = 1;
    return next++;
}

// The system-menu pair of each kind: ids and the caption of the first item.
struct SystemItems {
    int save;
    int restore;
    const char* saveCaption;
};

std::optional<SystemItems> systemItemsOf(app::ActiveKind kind) {
    switch (kind) {
        case app::ActiveKind::Dir:
            return SystemItems{kTreeSaveSettings, kTreeRestoreDefault, "Save Settings"};
        case app::ActiveKind::Auto:
            return SystemItems{kAutoSaveSettings, kAutoRestoreDefault, "Save Settings"};
        case app::ActiveKind::List:
            return SystemItems{kListSaveSettings, kListRestoreDefault, "Save Settings"};
        case app::ActiveKind::Viewer:
            return SystemItems{kViewerSaveLocation, kViewerRestoreDefault, "Save Location"};
        default:
            return std::nullopt;
    }
}

// The caption icon of a kind; a subclass may set its own.
QIcon kindIcon(app::ActiveKind kind) {
    const bool viewer = kind == app::ActiveKind::Viewer;
    const QString name = viewer ? QStringLiteral("text-x-generic") : QStringLiteral("folder");
    const QIcon fallback =
        QApplication::style()->standardIcon(viewer ? QStyle::SP_FileIcon : QStyle::SP_DirIcon);
    return QIcon::fromTheme(name, fallback);
}

}  // namespace

ChildWindow::ChildWindow(Tmdimain& frame, app::ActiveKind kind)
    : frame_(frame), kind_(kind), id_(nextWindowId()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(kindIcon(kind));
    // Ctrl+F4 belongs to the frame's "&Close"; the area's own shortcut would
    // make the key ambiguous and close nothing.
    for (QAction* a : systemMenu()->actions()) a->setShortcut({});
}

ChildWindow::~ChildWindow() {
    if (registered_) frame_.childDestroyed(this);
}

void ChildWindow::setShownPath(std::string path) {
    path_ = std::move(path);
    if (registered_) frame_.registry().setPath(id_, path_);
    updateCaption();
}

void ChildWindow::setAutoViewer(bool on) {
    autoViewer_ = on;
    updateCaption();
}

QString ChildWindow::captionText() const {
    return displayPath(app::captionFor(kind_, path_, autoViewer_));
}

void ChildWindow::updateCaption() {
    const QString caption = captionText();
    setWindowTitle(caption);
    if (registered_) {
        frame_.registry().setCaption(id_, caption.toStdString());
        frame_.rebuildWindowMenu();
    }
}

void ChildWindow::ActivateForm() {
    app::AppState& st = frame_.state();
    // A folder window activated only to be refreshed becomes the current list
    // window and nothing else.
    if (kind_ == app::ActiveKind::List && st.pendingUpdate == app::RefreshSignal::Rename) {
        frame_.setCurrentOf(kind_, this);
        return;
    }
    frame_.registry().touch(id_);
    if (st.startupPhase && (kind_ == app::ActiveKind::Auto || kind_ == app::ActiveKind::List)) {
        frame_.rebuildWindowMenu();
        return;
    }
    frame_.rebuildWindowMenu();
    if (st.activeKind == kind_ && frame_.currentOf(kind_) == this) return;
    st.activeKind = kind_;
    frame_.setCurrentOf(kind_, this);
    if (st.quietActivation == app::QuietActivation::None) frame_.findme();
    const bool noDialog =
        st.activeDialog == app::DialogTag::None || (kind_ == app::ActiveKind::List && st.fromSearch);
    if (noDialog) {
        if (kind_ == app::ActiveKind::Auto || kind_ == app::ActiveKind::List) frame_.onem();
        if (kind_ == app::ActiveKind::Dir) frame_.dimem();
        if (auto* panel = frame_.viewPanel()) syncViewControls(*panel);
    }
}

QWidget* ChildWindow::mainControl() const {
    return widget();
}

void ChildWindow::refreshWindow(app::RefreshSignal, const std::string&) {}

void ChildWindow::syncViewControls(ViewPanel&) {}

void ChildWindow::saveSettings() {
    app::saveChildSettings(frame_.config(), kind_, isMaximized(), placementRect(), settingsExtras());
}

void ChildWindow::restoreDefault() {
    app::restoreChildDefault(frame_.config(), kind_);
}

QAction* ChildWindow::AppendToSystemMenu(const QString& caption, int id) {
    QMenu* menu = systemMenu();
    if (!menu) return nullptr;
    if (caption == QLatin1String("-")) return menu->addSeparator();
    QAction* action = menu->addAction(caption);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { systemCommand(id); });
    return action;
}

void ChildWindow::systemCommand(int id) {
    const auto items = systemItemsOf(kind_);
    if (!items) return;
    reportWriteErrors(&frame_, [&] {
        if (id == items->save) saveSettings();
        if (id == items->restore) restoreDefault();
    });
}

app::Rect ChildWindow::placementRect() const {
    const QRect g = geometry();
    return app::Rect{g.top(), g.left(), g.width(), g.height()};
}

void ChildWindow::finishCreation() {
    QMdiArea* area = frame_.clientArea();
    area->addSubWindow(this);
    registered_ = true;
    frame_.childCreated(this);
    if (const auto items = systemItemsOf(kind_)) {
        AppendToSystemMenu(QStringLiteral("-"), 0);
        AppendToSystemMenu(QString::fromLatin1(items->saveCaption), items->save);
        AppendToSystemMenu(QStringLiteral("Restore Default"), items->restore);
    }
    const QSize client = area->viewport()->size();
    if (app::childStartsMaximised(frame_.config(), kind_)) {
        showMaximized();
    } else {
        const app::Rect r = childPlacement(frame_.config(), kind_, client.width(), client.height());
        setGeometry(QRect(int(r.left), int(r.top), int(std::max<int64_t>(r.width, 50)),
                          int(std::max<int64_t>(r.height, 30))));
        show();
    }
    frame_.activateChild(this);
}

void ChildWindow::closeEvent(QCloseEvent* event) {
    // The client area picks another window to activate while this one
    // deactivates; the frame ignores that pick and activates its own.
    const bool wasClosing = frame_.closingChild_;
    frame_.closingChild_ = true;
    QMdiSubWindow::closeEvent(event);
    if (!event->isAccepted() || !registered_) {
        frame_.closingChild_ = wasClosing;
        return;
    }
    if (frame_.state().viewerMode != app::ViewerMode::Closing) closingWork();
    frame_.childClosed(this);
}

}  // namespace arbel::ui

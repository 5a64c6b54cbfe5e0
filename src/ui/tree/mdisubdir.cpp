#include "ui/tree/mdisubdir.h"

#include <QCloseEvent>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/app/file_system.h"
#include "core/app/placement.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/icons/type_icons.h"
#include "ui/lists/right_drag.h"
#include "ui/ops/file_drop.h"
#include "ui/tree/dir_tree_model.h"
#include "ui/tree/dir_tree_view.h"
#include "ui/tree/mount_notifier.h"

namespace arbel::ui {

namespace {

// A press and release this close together are a click, not a right-button drag.
constexpr int kRightDragSlop = 10;

}  // namespace

Tmdisubdir::Tmdisubdir(Tmdimain& frame, tree::VolumeSource* volumes)
    : ChildWindow(frame, app::ActiveKind::Dir), tree_(std::make_unique<tree::TDirTree>(volumes)) {
    // The window's own settings: every folder and volume shown, volumes only touched
    // when expanded (a dead network mount must not stall the start).
    tree_->setDirTypes(tree::kAllDirTypes);
    tree_->setGoBelowRecycleBin(true);
    tree_->setFastLoad(true);
    tree_->setDriveTypes(tree::kAllDriveTypes);
    tree_->OnChange = [this](tree::TreeNode*) { dirtree1Change(); };

    auto* host = new QWidget;
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildHeader(host);
    model_ = new DirTreeModel(*tree_, this);
    view_ = new DirTreeView(model_, host);
    layout->addWidget(view_, 1);
    // Files dropped on a folder are copied there (Shift: moved), also a folder
    // dragged within the tree.
    FileDropHandling drops;
    drops.effects = dnd::kCopyMove;
    drops.acceptOwn = true;
    drops.owner = view_;
    drops.allowedAt = [this](const QPoint& p) { return dropsOpen(this->frame()) && view_->nodeAt(p); };
    drops.dropped = [this](std::vector<std::string> paths, QPoint p, dnd::DropEffect e) {
        DragDropFiles1Drop(paths, p, e);
    };
    view_->setDrops(std::move(drops));
    setWidget(host);
    setWindowIcon(iconForFolder(false));
    buildMenus();

    Timer1.setSingleShot(true);
    Timer1.setInterval(500);
    Timer2.setSingleShot(true);
    Timer2.setInterval(150);
    connect(&Timer1, &QTimer::timeout, this, &Tmdisubdir::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &Tmdisubdir::Timer2Timer);
    connect(view_, &DirTreeView::leftPressed, this, &Tmdisubdir::dirtree1MouseDown);
    connect(view_, &DirTreeView::leftReleased, this, &Tmdisubdir::dirtree1MouseUp);
    connect(view_, &DirTreeView::rightPressed, this, &Tmdisubdir::rightDown);
    connect(view_, &DirTreeView::rightReleased, this, &Tmdisubdir::rightUp);
    connect(view_, &DirTreeView::levelKey, this, &Tmdisubdir::DirTree1KeyPress);
    connect(view_, &DirTreeView::openRequested, this, [this](const QModelIndex& index) {
        lastHitItem_ = model_->nodeOf(index) != nullptr;
        DirTree1DblClick();
    });
    connect(view_, &DirTreeView::contextMenuKey, this, [this] {
        PopupMenu1Popup();
        QRect r = view_->visualRect(view_->currentIndex());
        PopupMenu1->popup(view_->viewport()->mapToGlobal(r.isValid() ? r.center() : QPoint(0, 0)));
    });
    connect(view_, &QTreeView::expanded, this, [this] { howmany(); });
    connect(view_, &QTreeView::collapsed, this, [this] { howmany(); });
    // A folder read after its expansion changes the count too; counted once per burst.
    countLater_.setSingleShot(true);
    countLater_.setInterval(0);
    connect(&countLater_, &QTimer::timeout, this, &Tmdisubdir::howmany);
    connect(model_, &QAbstractItemModel::rowsInserted, &countLater_, qOverload<>(&QTimer::start));
    connect(model_, &QAbstractItemModel::rowsRemoved, &countLater_, qOverload<>(&QTimer::start));

    // Mounts and unmounts: the volume check, then the medium check.
    auto* notifier = new MountNotifier(this);
    connect(notifier, &MountNotifier::mountsChanged, this, [this] {
        tree_->deviceChanged();
        howmany();
        watchUnansweredVolumes();
    });
    recheck_.setInterval(2000);
    connect(&recheck_, &QTimer::timeout, this, [this] {
        if (tree_->recheckUnansweredVolumes()) howmany();
        watchUnansweredVolumes();
    });

    updateCaption();
    FormCreate();
    finishCreation();
    watchUnansweredVolumes();
}

void Tmdisubdir::watchUnansweredVolumes() {
    if (!tree_->hasUnansweredVolumes())
        recheck_.stop();
    else if (!recheck_.isActive())
        recheck_.start();
}

Tmdisubdir::~Tmdisubdir() {
    // The model goes before the core it observes.
    delete view_;
    view_ = nullptr;
    delete model_;
    model_ = nullptr;
}

Tmdisubdir* Tmdisubdir::of(const Tmdimain& frame) {
    return qobject_cast<Tmdisubdir*>(frame.currentOf(app::ActiveKind::Dir));
}

void Tmdisubdir::buildHeader(QWidget* host) {
    auto* panel = new QWidget(host);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);
    auto* icon = new QToolButton(panel);  // BitBtn1: only takes the focus to the window
    icon->setIcon(iconForFolder(true));
    icon->setAutoRaise(true);
    icon->setFocusPolicy(Qt::NoFocus);
    connect(icon, &QToolButton::pressed, this, [this] { frame().activateChild(this); });
    row->addWidget(icon);
    Label1 = new QLabel(panel);
    row->addWidget(Label1, 1);
    struct Level {
        const char* caption;
        void (Tmdisubdir::*click)();
    };
    const Level levels[] = {{"1", &Tmdisubdir::collall},   {"2", &Tmdisubdir::exp1Click},
                            {"3", &Tmdisubdir::exp2Click}, {"4", &Tmdisubdir::exp3Click},
                            {"5", &Tmdisubdir::exp4Click}, {"*", &Tmdisubdir::expallClick}};
    for (const Level& level : levels) {
        auto* b = new QToolButton(panel);
        b->setText(QString::fromLatin1(level.caption));
        b->setObjectName(QStringLiteral("exp") + b->text());
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setContextMenuPolicy(Qt::CustomContextMenu);  // a right press collapses
        connect(b, &QToolButton::clicked, this, level.click);
        connect(b, &QWidget::customContextMenuRequested, this, [this] { collall(); });
        row->addWidget(b);
    }
    panel->setFixedHeight(panel->sizeHint().height());
    host->layout()->addWidget(panel);
}

void Tmdisubdir::buildMenus() {
    PopupMenu1 = new QMenu(this);
    for (const auto& entry : tree::contextMenuState(*tree_)) {
        if (!entry.command) PopupMenu1->addSeparator();
        QAction* a = PopupMenu1->addAction(QString::fromLatin1(entry.caption));
        a->setData(entry.command ? int(*entry.command) : -1);
        // Each item runs the frame's command, which refuses what is not there yet.
        if (entry.command)
            connect(a, &QAction::triggered, this, [this, id = *entry.command] { frame().runCommand(id); });
    }
    connect(PopupMenu1, &QMenu::aboutToShow, this, &Tmdisubdir::PopupMenu1Popup);

    PopupMenu2 = new QMenu(this);
    connect(PopupMenu2->addAction(QStringLiteral("Copy")), &QAction::triggered, this,
            [this] { dragMenuChoice(false); });
    connect(PopupMenu2->addAction(QStringLiteral("Move")), &QAction::triggered, this,
            [this] { dragMenuChoice(true); });
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(QStringLiteral("Cancel"));
}

// ---------------------------------------------------------------- creation and settings

void Tmdisubdir::FormCreate() {
    tree_->readDrives();
    const std::string start =
        tree::startFolder(frame().config().readString(app::kWindowsSection, "dirload", ""), homeFolder());
    (void)tree_->GoToDir(start);
    if (tree::TreeNode* n = tree_->selected()) {
        // What lies below the start folder is read the way any expansion is, where
        // a mount that stopped answering cannot hold the window's creation.
        const QModelIndex start = model_->indexOf(n);
        view_->setExpanded(start, true);
        if (model_->canFetchMore(start)) model_->fetchMore(start);
        view_->scrollTo(start);
    }
    howmany();
}

QString Tmdisubdir::captionText() const {
    return QString::fromLatin1(tree::kTreeCaption);
}

QWidget* Tmdisubdir::mainControl() const {
    return view_;
}

std::string Tmdisubdir::selectedFolder() const {
    return tree_->selected() ? tree::folderForm(tree_->NodePath(tree_->selected())) : std::string();
}

QByteArray Tmdisubdir::folderBytes() const {
    const std::string f = selectedFolder();
    return QByteArray(f.data(), qsizetype(f.size()));
}

app::ChildExtras Tmdisubdir::settingsExtras() const {
    app::ChildExtras extras;
    extras.dirload = tree::dirloadToSave(*tree_);
    return extras;
}

void Tmdisubdir::refreshWindow(app::RefreshSignal, const std::string&) {
    WaitCursor wait;
    tree_->RefreshTree();
    if (tree::TreeNode* n = tree_->selected()) view_->scrollTo(model_->indexOf(n));
    howmany();
    watchUnansweredVolumes();
}

void Tmdisubdir::closeEvent(QCloseEvent* event) {
    // The tree window stays for the program's life: a close only minimises it.
    if (frame().state().viewerMode != app::ViewerMode::Closing) {
        event->ignore();
        showMinimized();
        return;
    }
    ChildWindow::closeEvent(event);
}

void Tmdisubdir::ActivateForm() {
    app::AppState& st = frame().state();
    if (st.pendingUpdate == app::RefreshSignal::Dc) {
        st.pendingUpdate = app::RefreshSignal::None;
        return;
    }
    if (QLabel* status = frame().statusPanel(); status && !status->text().isEmpty())
        frame().setStatusText(QStringLiteral("  1 folder selected"));
    ChildWindow::ActivateForm();
}

// ---------------------------------------------------------------- clicks and timers

void Tmdisubdir::dirtree1Change() {
    watchUnansweredVolumes();  // the selection's medium check may have timed out
    emit folderSelected(folderBytes());
    const app::AppState& st = frame().state();
    if (st.rightButtonPopup || st.pendingUpdate == app::RefreshSignal::Lowercase) return;
    dirtree1Click();
}

void Tmdisubdir::dirtree1Click() {
    app::AppState& st = frame().state();
    st.renameTarget = selectedFolder();
    if (st.startupPhase || !st.autoWindowOpen) return;
    if (st.activeDialog == app::DialogTag::FindForm || st.activeDialog == app::DialogTag::NewDir ||
        st.activeDialog == app::DialogTag::Copier)
        return;
    ChildWindow* autoWindow = frame().currentOf(app::ActiveKind::Auto);
    if (autoWindow && autoWindow->shownPath() == st.renameTarget) return;
    if (!tree_->volumePresent(tree_->selected())) {
        showMessage(this, QString::fromLatin1(tree::kInvalidDriveMessage));
        return;
    }
    autoUpdatePending_ = true;
    if (lastHitItem_)
        Timer2.start();
    else
        Timer2Timer();  // chosen by the keyboard: no double click to wait for
    st.pendingUpdate = app::RefreshSignal::None;
}

void Tmdisubdir::Timer2Timer() {
    Timer2.stop();
    app::AppState& st = frame().state();
    if (!autoUpdatePending_ || st.pendingUpdate == app::RefreshSignal::DelUpdate) return;
    autoUpdatePending_ = false;
    const QByteArray folder = folderBytes();
    if (ChildWindow* autoWindow = frame().currentOf(app::ActiveKind::Auto)) {
        app::ScopedRefreshSignal signal(st, app::RefreshSignal::CaptionUpdate);
        autoWindow->refreshWindow(app::RefreshSignal::CaptionUpdate, selectedFolder());
    }
    emit folderSettled(folder);
}

void Tmdisubdir::DirTree1DblClick() {
    if (!tree_->selected() || !lastHitItem_) return;
    autoUpdatePending_ = false;
    Timer2.stop();
    // Open > Selected Item on a tree folder opens a folder window on it.
    frame().Selected1Click();
}

void Tmdisubdir::dirtree1MouseDown(const QModelIndex& index) {
    app::AppState& st = frame().state();
    if (st.activeDialog == app::DialogTag::Delete || st.activeDialog == app::DialogTag::Attrib) {
        if (QWidget* dialog = frame().openDialog(st.activeDialog)) dialog->close();
    }
    if (frame().activeChild() != this || st.activeKind != app::ActiveKind::Dir) frame().activateChild(this);
    lastHitItem_ = model_->nodeOf(index) != nullptr;
}

void Tmdisubdir::dirtree1MouseUp() {
    // Open dialogs take the clicked folder from folderSelected / selectedFolder();
    // then the focus goes back to the dialog.
    if (frame().state().activeDialog != app::DialogTag::None) frame().finddlog();
}

void Tmdisubdir::rightDown(const QPoint& globalPos, const QModelIndex& index) {
    if (frame().activeChild() != this) frame().activateChild(this);
    rightPressAt_ = globalPos;
    app::AppState& st = frame().state();
    st.rightButtonPopup = true;  // the selection handler stays quiet meanwhile
    dragTargetNode_ = model_->nodeOf(index);
    if (dragTargetNode_) view_->selectNode(dragTargetNode_);
    Timer1.start();
}

void Tmdisubdir::Timer1Timer() {
    Timer1.stop();
    app::AppState& st = frame().state();
    if (st.rightButtonPopup) {
        st.rightButtonPopup = false;
        PopupMenu1->popup(QCursor::pos());
    }
    st.rightButtonPopup = false;
}

void Tmdisubdir::rightUp(const QPoint& globalPos, const QModelIndex& index) {
    app::AppState& st = frame().state();
    st.rightButtonPopup = false;
    Timer1.stop();
    const QPoint d = globalPos - rightPressAt_;
    if (std::abs(d.x()) < kRightDragSlop && std::abs(d.y()) < kRightDragSlop) return;  // a short right click
    if (endRightDragElsewhere(this, globalPos)) return;  // released over another window
    dragSourceNode_ = tree_->selected();
    dragTargetNode_ = model_->nodeOf(index);
    if (!dragSourceNode_ || !dragTargetNode_) return;
    PopupMenu2->popup(globalPos);
}

void Tmdisubdir::rightDragEndedAt(const QPoint& globalPos) {
    // The items are the other window's (it is the active one); the tree gives the target.
    dragSourceNode_ = tree_->selected();
    dragTargetNode_ = view_->nodeAt(view_->viewport()->mapFromGlobal(globalPos));
    if (!dragSourceNode_ || !dragTargetNode_) return;
    PopupMenu2->popup(globalPos);
}

void Tmdisubdir::dragMenuChoice(bool move) {
    // Nodes may have gone while the menu was open.
    if (!dragTargetNode_ || !dragSourceNode_) return;
    const std::string target = tree::folderForm(tree_->NodePath(dragTargetNode_));
    if (tree_->FindNode(target) != dragTargetNode_) return;
    // The copy dialog takes the folder as its target (none when it does not exist).
    const std::string into = tree_->folderExists(dragTargetNode_) ? target : std::string();
    if (move)
        frame().moveItemsTo(into);
    else
        frame().copyItemsTo(into);
}

void Tmdisubdir::DragDropFiles1Drop(const std::vector<std::string>& paths, const QPoint& pos,
                                    dnd::DropEffect effect) {
    // The folder under the drop point itself, not one learnt from a later mouse move.
    tree::TreeNode* node = view_->nodeAt(pos);
    if (!node || !tree_->folderExists(node)) return;
    const std::string folder = tree::folderForm(tree_->NodePath(node));
    // After the drop event: the other program waits for its answer meanwhile.
    QTimer::singleShot(
        0, this, [this, paths, folder, effect] { takeDroppedFiles(frame(), this, paths, folder, effect); });
}

void Tmdisubdir::PopupMenu1Popup() {
    const auto states = tree::contextMenuState(*tree_);
    for (QAction* a : PopupMenu1->actions()) {
        if (a->isSeparator()) {
            a->setVisible(tree_->selected() && !tree_->selected()->isVolume());
            continue;
        }
        for (const auto& e : states) {
            if ((e.command ? int(*e.command) : -1) != a->data().toInt()) continue;
            a->setVisible(e.visible);
            a->setEnabled(e.enabled);
        }
    }
}

// ---------------------------------------------------------------- keys and levels

void Tmdisubdir::DirTree1KeyPress(QChar key) {
    switch (key.unicode()) {
        case '!':
            collall();
            break;
        case '@':
        case '+':
            exp1Click();
            break;
        case '#':
            exp2Click();
            break;
        case '$':
            exp3Click();
            break;
        case '%':
            exp4Click();
            break;
        case '*':
            expallClick();
            break;
        case '-':
            if (tree::TreeNode* n = tree_->selected()) view_->collapse(model_->indexOf(n));
            break;
        default:
            break;
    }
}

void Tmdisubdir::howmany() {
    Label1->setText(QString::fromStdString(tree::folderCountText(tree_->CountVisible())));
    app::AppState& st = frame().state();
    if (st.viewerMode == app::ViewerMode::TreeIgnoreExpand) st.viewerMode = app::ViewerMode::None;
}

void Tmdisubdir::collall() {
    FrozenUpdates frozen(frame().clientArea());
    if (tree::TreeNode* n = tree_->selected()) {
        WaitCursor wait;
        tree_->collapseAll(n);
    }
    howmany();
}

void Tmdisubdir::exp1Click() {
    FrozenUpdates frozen(frame().clientArea());
    if (tree::TreeNode* n = tree_->selected()) {
        WaitCursor wait;
        tree_->collapseAll(n);
        tree_->expandLevels(n, 1);
    }
    howmany();
}

void Tmdisubdir::expandTo(int levels) {
    FrozenUpdates frozen(frame().clientArea());
    tree::TreeNode* n = tree_->selected();
    if (n && n->rowCount() > 0) {
        WaitCursor wait;
        tree_->collapseAll(n);
        tree_->expandLevels(n, levels);
        // Brings the branch into view: the first child, then the folder again.
        app::AppState& st = frame().state();
        st.startupPhase = true;
        if (!n->children().empty()) view_->selectNode(n->children().front().get());
        view_->selectNode(n);
        st.startupPhase = false;
    }
    howmany();
}

void Tmdisubdir::exp2Click() {
    expandTo(2);
}
void Tmdisubdir::exp3Click() {
    expandTo(3);
}
void Tmdisubdir::exp4Click() {
    expandTo(4);
}
void Tmdisubdir::exp5Click() {
    expandTo(5);
}
// Everything below: links are shown but never entered, so a loop cannot run away.
void Tmdisubdir::expallClick() {
    expandTo(-1);
}

}  // namespace arbel::ui

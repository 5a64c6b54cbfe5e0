#include "ui/frame/frame_toolbar.h"

#include <QHBoxLayout>
#include <QMouseEvent>

#include "ui/frame/frame_icons.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"

namespace arbel::ui {

void ToolButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit rightClicked();
        return;
    }
    QToolButton::mousePressEvent(event);
}

FrameToolBar::FrameToolBar(Tmdimain& frame, ViewPanel* panel) : QToolBar(&frame) {
    setObjectName(QStringLiteral("ashpan"));
    setWindowTitle(QStringLiteral("Tool Bar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(20, 20));
    // Right-clicks on the background switch windows; no toolbar menu.
    setContextMenuPolicy(Qt::PreventContextMenu);

    auto add = [&](const char* name, const char* hint, FrameIcon icon, void (Tmdimain::*handler)()) {
        auto* b = new ToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setIcon(frameIcon(icon));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, &frame, handler);
        addWidget(b);
        return b;
    };
    newdir = add("newdir", "Create Folder", FrameIcon::NewFolder, &Tmdimain::newdirClick);
    autodirbut = add("autodirbut", "Auto Folder", FrameIcon::AutoFolder, &Tmdimain::AutoDirectory1Click);
    findbut = add("findbut", "Search", FrameIcon::Search, &Tmdimain::findbutClick);
    addSeparator();
    copybut = add("copybut", "Copy", FrameIcon::Copy, &Tmdimain::copybutClick);
    movebut = add("movebut", "Move", FrameIcon::Move, &Tmdimain::movebutClick);
    SpeedButton2 = add("SpeedButton2", "Create Shortcut", FrameIcon::Shortcut, &Tmdimain::shortcutbutClick);
    delbut = add("delbut", "Delete", FrameIcon::Delete, &Tmdimain::delbutClick);
    renamebut = add("renamebut", "Rename", FrameIcon::Rename, &Tmdimain::renamebutClick);
    addSeparator();
    autoviewbut = add("autoviewbut", "Auto Viewer", FrameIcon::AutoViewer, &Tmdimain::AutoView1Click);
    selectbut = add("selectbut", "Select All", FrameIcon::SelectAll, &Tmdimain::SelectAll1Click);
    editbut = add("editbut", "Editor", FrameIcon::Editor, &Tmdimain::editbutClick);
    attribbut = add("attribbut", "Attributes", FrameIcon::Attributes, &Tmdimain::attribbutClick);
    refreshbut = add("refreshbut", "Refresh", FrameIcon::Refresh, &Tmdimain::refreshbutClick);
    addSeparator();
    copydiskbut = add("copydiskbut", "Copy Disk", FrameIcon::CopyDisk, &Tmdimain::copydiskbutClick);
    formatdiskbut = add("formatdiskbut", "Format Disk", FrameIcon::FormatDisk, &Tmdimain::formatdiskbutClick);
    mapnetbut = add("mapnetbut", "Map Network Drive", FrameIcon::MapNetwork, &Tmdimain::mapnetbutClick);
    unmapnetbut =
        add("unmapnetbut", "Unmap Network Drive", FrameIcon::UnmapNetwork, &Tmdimain::unmapnetbutClick);

    connect(autodirbut, &ToolButton::rightClicked, &frame, &Tmdimain::autodirbutRightClick);
    connect(findbut, &ToolButton::rightClicked, &frame, &Tmdimain::findbutRightClick);
    connect(refreshbut, &ToolButton::rightClicked, &frame, &Tmdimain::refreshbutRightClick);
    connect(editbut, &ToolButton::rightClicked, &frame, &Tmdimain::editbutRightClick);
    connect(copydiskbut, &ToolButton::rightClicked, &frame, &Tmdimain::copydiskbutRightClick);
    connect(attribbut, &ToolButton::rightClicked, &frame, &Tmdimain::attribbutRightClick);
    connect(SpeedButton2, &ToolButton::rightClicked, &frame, &Tmdimain::SpeedButton2RightClick);
    connect(selectbut, &ToolButton::rightClicked, &frame, &Tmdimain::selectbutRightClick);

    // The empty stretch between the buttons and the view panel belongs to the
    // background: presses there reach mousePressEvent below.
    auto* spacer = new QWidget(this);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    spacer->setAttribute(Qt::WA_TransparentForMouseEvents);
    addWidget(spacer);
    if (panel) addWidget(panel);
    connect(this, &FrameToolBar::backgroundPressed, &frame, &Tmdimain::ashpanMouseDown);
}

QList<ToolButton*> FrameToolBar::buttons() const {
    return {newdir,     autodirbut,  findbut,       copybut,   movebut,    SpeedButton2,
            delbut,     renamebut,   autoviewbut,   selectbut, editbut,    attribbut,
            refreshbut, copydiskbut, formatdiskbut, mapnetbut, unmapnetbut};
}

void FrameToolBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        event->accept();
        emit backgroundPressed(event->button());
        return;
    }
    QToolBar::mousePressEvent(event);
}

}  // namespace arbel::ui

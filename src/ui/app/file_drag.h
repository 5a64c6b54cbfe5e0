#pragma once
// Files crossing Arbel's border by drag and drop, in both directions, for every
// window: the one place that turns paths into a drag's data (text/uri-list, by the
// core codec) and back, starts a drag, and decides what a drop over a window does
// (the core effect rule over the keys held and the actions the drag offers).
//
// The item views that take part are FileItemView<QListView / QTreeView>: a drag
// leaving one carries what dragPaths() gives; a drop on one is judged against its
// FileDropHandling and handed to its `dropped` callback with the point and effect.

#include <QAbstractItemView>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <functional>
#include <string>
#include <vector>

#include "core/dnd/drop_effect.h"

class QDrag;
class QMimeData;

namespace arbel::ui {

// The data of a drag of these paths (bytes); text/uri-list only.
QMimeData* fileDragData(const std::vector<std::string>& paths);
// The local paths a drop carries; URLs that are not local files are passed over.
std::vector<std::string> droppedPaths(const QMimeData* data);

// Starts a drag of `paths` from `source` and waits for its end. Only copying is
// offered: another program must not move Arbel's files away or delete them.
dnd::DragResult startFileDrag(QWidget* source, const std::vector<std::string>& paths);

// Tests replace the platform's drag loop: `exec` gets the drag, fully built, with
// the actions it offers, and answers the action the target took.
struct DragHooks {
    std::function<Qt::DropAction(QDrag& drag, Qt::DropActions offered)> exec;
};
DragHooks& dragHooks();

// How a view takes dropped files.
struct FileDropHandling {
    dnd::DropEffects effects = 0;    // what the window does with drops; 0: not a target
    bool acceptOwn = false;          // takes drags that started in `owner`
    const QObject* owner = nullptr;  // drags from it or its children are its own
    // Whether a drop may land at this point of the viewport now (a folder there, no
    // dialog in the way); unset: anywhere.
    std::function<bool(const QPoint&)> allowedAt;
    // The drop: its paths, the viewport point and the effect. Called from inside the
    // drop event: do the work later (the other program waits for the answer).
    std::function<void(std::vector<std::string>, QPoint, dnd::DropEffect)> dropped;
};

// The effect for a drag over (or dropped at) `pos`: sets the event's drop action
// and accepts it, or ignores it. `checkPoint` false on entering, where only the data
// and the keys count.
dnd::DropEffect judgeDrop(QDropEvent* event, const FileDropHandling& handling, bool checkPoint);

// Whether a point lies close enough to the viewport's edge to scroll the view.
bool inScrollMargin(const QAbstractItemView* view, const QPoint& viewportPos);

template <class View>
class FileItemView : public View {
public:
    using View::View;

    // What a drag from this view carries; unset or empty: no drag.
    std::function<std::vector<std::string>()> dragPaths;
    FileDropHandling drops;

    void setDrops(FileDropHandling handling) {
        drops = std::move(handling);
        this->setAcceptDrops(drops.effects != 0);
        this->viewport()->setAcceptDrops(drops.effects != 0);
    }

protected:
    void startDrag(Qt::DropActions) override {
        if (dragPaths) startFileDrag(this, dragPaths());
    }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (judgeDrop(event, drops, false) != dnd::DropEffect::None) this->setState(View::DraggingState);
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        const QPoint pos = event->position().toPoint();
        judgeDrop(event, drops, true);
        // Holding a drag at the edge scrolls to folders out of sight.
        if (this->hasAutoScroll() && inScrollMargin(this, pos)) this->startAutoScroll();
    }
    void dragLeaveEvent(QDragLeaveEvent* event) override {
        this->stopAutoScroll();
        this->setState(View::NoState);
        event->accept();
    }
    void dropEvent(QDropEvent* event) override {
        this->stopAutoScroll();
        this->setState(View::NoState);
        const dnd::DropEffect effect = judgeDrop(event, drops, true);
        if (effect != dnd::DropEffect::None && drops.dropped)
            drops.dropped(droppedPaths(event->mimeData()), event->position().toPoint(), effect);
    }
};

}  // namespace arbel::ui
